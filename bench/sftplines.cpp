// ftp_bench's SFTP lines, against an OpenSSH sshd the bench starts itself (Debian's, through the
// tests' fixture: its own configuration, host key and throwaway user, on 127.0.0.1), as root.
// Every client logs in with the same Ed25519 key made for the run; ours is the transfer
// window's SFTP client, in this process (the program runs before a transfer starts), the peers
// are OpenSSH's sftp -b and scp and lftp's sftp://, programs started for the one transfer.
//
// First a 256 MiB file goes up and comes down on loopback, then through the bench's delay proxy
// (10 ms each way; SSH is one TCP connection), the clients interleaved round by round, medians
// in MiB per second:
//
//   ftp_bench sshd upload|download sftp ours_MBps=<x> best_peer_MBps=<y> peer=<name> ratio=<x/y>
//   ftp_bench sshd upload-rtt20|download-rtt20 sftp ours_MBps=<x> best_peer_MBps=<y> peer=<name> ratio=<x/y>
//     goal_MBps=<44|40> goal_ratio=<x/goal> rtt_ms=20 peer_start_s=<s> ratio_nostart=<x/y'>
//
// On loopback the peers' start-up is part of their time, as on the FTP lines; through the proxy
// it is measured, from the process's start to its connection reaching the proxy, and
// ratio_nostart compares ours with the best peer's speed without it. Then the tree of 1,000
// files of 4 KiB in 20 folders, up with our folder upload and down with our folder download
// (the jobs of the transfer window), next to sftp -b's put -r / get -r, scp -r and lftp's mirror,
// in files per second:
//
//   ftp_bench sshd tree-upload|tree-download sftp ours_fps=<x> best_peer_fps=<y> peer=<name> ratio=<x/y>
//
// Last the publish lines through the proxy: a first publish of the 1,000 files into an empty
// folder, and 更新分を公開 after 10 of them changed, by ours (the publish job, run as the FTP
// latency lines run it), lftp's mirror -R (--only-newer), sftp -b putting the site's folders
// (what a user without a mirror does) and a floor that knows the answer, sftp -b given exactly
// the folders to make and the files to send, in one process. Ratios are the other's time over
// ours; commands are the SFTP requests the server logged (sftp-server's own log):
//
//   ftp_bench sshd publish1000-rtt20|publish10of1000-rtt20 sftp ours_s=<x> best_peer_s=<y> peer=<name>
//     ratio=<y/x> floor_s=<f> commands=<n> rtt_ms=20 peer_start_s=<s> ratio_nostart=<(y-s)/x>
//     floor_start_s=<t> floor_ratio=<f/x> floor_ratio_nostart=<(f-t)/x> peer_commands=<m> floor_commands=<k>
//   ftp_bench sshd <line>-phases sftp plan_s=<p> plan_commands=<c> publish_s=<x-p> publish_commands=<n-c>
//
// The phases split ours at the end of its plan (connect, listings) as the FTP lines do.

#include "sftplines.h"

#include "benchbasics.h"
#include "delayproxy.h"
#include "publishrun.h"
#include "support/ssh/sshdserver.h"
#include "transfer/ftpjobcontext.h"
#include "transfer/remoteerrors.h"
#include "transfer/sftp/sftpremotefiles.h"
#include "transfer/transferjobs.h"
#include "transferbench.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <regex>
#include <thread>

namespace {

using namespace TransferBench;

constexpr int fileRounds = 7;
constexpr int latencyFileRounds = 3;
constexpr int treeRounds = 5;
constexpr int firstPublishRounds = 3;
constexpr int changedRounds = 5;
constexpr double uploadGoalMBps = 44;
constexpr double downloadGoalMBps = 40;
// Lets the server finish its clean-up of one run before the next starts.
constexpr auto runPause = std::chrono::milliseconds(500);
constexpr auto idleLimit = std::chrono::seconds(10);
const char *const serverName = "sshd";

enum class Op {
    Upload,
    Download,
};

const char *opName(Op op)
{
    return op == Op::Upload ? "upload" : "download";
}

// The sshd as the clients reach it: directly, or through the delay proxy.
struct SshTarget
{
    std::string host;
    std::uint16_t port = 0;
    std::string user;
    std::string key;         // the private key every client logs in with
    std::string fingerprint; // the host key's, as ours accepted it
    fs::path home;           // the user's folder, where sessions start
    fs::path scratch;        // for the peers' batch files
    DelayProxy *proxy = nullptr;
};

// OpenSSH's options for a client that asks nothing: the run's key alone, no agent, no user
// configuration, any host key (the bench made it a moment ago).
std::vector<std::string> sshOptions(const SshTarget &target)
{
    return {"-F",
            "/dev/null",
            "-i",
            target.key,
            "-o",
            "IdentitiesOnly=yes",
            "-o",
            "IdentityAgent=none",
            "-o",
            "StrictHostKeyChecking=no",
            "-o",
            "UserKnownHostsFile=/dev/null",
            "-o",
            "BatchMode=yes",
            "-o",
            "LogLevel=ERROR"};
}

std::vector<std::string>
sftpBatch(const SshTarget &target, const std::string &name, const std::vector<std::string> &lines)
{
    const fs::path batch = target.scratch / (name + ".batch");
    std::ofstream out(batch, std::ios::trunc);
    for (const std::string &line : lines)
        out << line << "\n";
    std::vector<std::string> command{"sftp", "-q"};
    const std::vector<std::string> options = sshOptions(target);
    command.insert(command.end(), options.begin(), options.end());
    command.insert(command.end(),
                   {"-P", std::to_string(target.port), "-b", batch.string(), target.user + "@" + target.host});
    return command;
}

std::vector<std::string>
scpCommand(const SshTarget &target, bool recursive, const std::string &from, const std::string &to)
{
    std::vector<std::string> command{"scp", "-q"};
    const std::vector<std::string> options = sshOptions(target);
    command.insert(command.end(), options.begin(), options.end());
    command.insert(command.end(), {"-P", std::to_string(target.port)});
    if (recursive)
        command.push_back("-r");
    command.insert(command.end(), {from, to});
    return command;
}

std::string remoteOf(const SshTarget &target, const std::string &path)
{
    return target.user + "@" + target.host + ":" + path;
}

std::vector<std::string> lftpCommand(const SshTarget &target, const std::string &commands)
{
    std::string ssh = "ssh -a -x";
    for (const std::string &option : sshOptions(target))
        ssh += " " + option;
    return {"lftp",
            "-c",
            "set sftp:connect-program \"" + ssh
                + "\"; set net:max-retries 1; set net:timeout 30; set cmd:fail-exit yes; set xfer:clobber on; "
                  "set xfer:log no; open -u "
                + target.user + ", -p " + std::to_string(target.port) + " sftp://" + target.host + "; " + commands};
}

RemoteLogin loginFor(const SshTarget &target)
{
    RemoteLogin login;
    login.security = ConnectionMethod::Sftp;
    login.host = QString::fromStdString(target.host);
    login.port = target.port;
    login.user = QString::fromStdString(target.user);
    login.keyFile = QString::fromStdString(target.key);
    login.acceptedCertificates = {QString::fromStdString(target.fingerprint)};
    return login;
}

// The host key's fingerprint, as the trust dialog shows it on the first connection.
std::string fingerprintOf(const SshTarget &target)
{
    SftpRemoteFiles files;
    try {
        files.connect(loginFor(target));
    } catch (const RemoteUntrusted &untrusted) {
        return untrusted.certificate().fingerprint;
    } catch (const std::exception &error) {
        std::cerr << "ftp_bench: our SFTP client could not connect: " << error.what() << "\n";
    }
    return {};
}

// One run of one client: its seconds and, through the proxy, its process's start-up.
struct Run
{
    double seconds = 0;
    double startSeconds = 0;
    // Ours: the seconds until its plan was made, and where the server's log stood then.
    double planSeconds = 0;
    std::uintmax_t planLogEnd = 0;
};

// Runs a peer; through the proxy, its start-up is the time until its connection came.
std::optional<Run> runPeer(const SshTarget &target, const std::vector<std::string> &command)
{
    if (target.proxy)
        target.proxy->resetCounts();
    Clock::time_point started{};
    const std::optional<double> seconds = timeRun(command, &started);
    if (!seconds)
        return std::nullopt;
    Run run{*seconds, 0};
    if (target.proxy) {
        target.proxy->waitUntilIdle(idleLimit);
        if (const auto connected = target.proxy->counts().firstControlConnection)
            run.startSeconds = std::chrono::duration<double>(*connected - started).count();
    }
    return run;
}

// Ours in this process: connects, does the work, logs out.
template<typename Work>
std::optional<Run> runOurs(const SshTarget &target, Work work)
{
    SftpRemoteFiles files;
    try {
        const Clock::time_point start = Clock::now();
        files.connect(loginFor(target));
        const bool done = work(files);
        files.quit();
        if (!done)
            return std::nullopt;
        return Run{std::chrono::duration<double>(Clock::now() - start).count(), 0};
    } catch (const std::exception &error) {
        std::cerr << "ftp_bench: our SFTP client failed: " << error.what() << "\n";
        return std::nullopt;
    }
}

// Every run of one client on one line.
struct Runs
{
    std::vector<double> values;       // MiB/s, files/s or seconds
    std::vector<double> withoutStart; // the same with the process's start-up taken out
    std::vector<double> starts;
    std::vector<double> commands;
    std::vector<double> planSeconds;
    std::vector<double> planCommands;
    int failed = 0;
};

// The clients in the order of one round: each round starts with another.
std::vector<std::string> orderOf(const std::vector<std::string> &clients, int round)
{
    std::vector<std::string> order;
    for (std::size_t turn = 0; turn < clients.size(); ++turn)
        order.push_back(clients[(turn + static_cast<std::size_t>(round)) % clients.size()]);
    return order;
}

// The peer with the best median: the highest speed, or with lowest, the shortest time.
std::string bestPeer(std::map<std::string, Runs> &runs, const std::vector<std::string> &peers, bool lowest)
{
    std::string best;
    for (const std::string &peer : peers) {
        if (runs[peer].values.empty())
            continue;
        const double value = median(runs[peer].values);
        if (best.empty() || (lowest ? value < median(runs[best].values) : value > median(runs[best].values)))
            best = peer;
    }
    return best;
}

void reportFailures(std::map<std::string, Runs> &runs, const char *line, int rounds)
{
    for (auto &[client, clientRuns] : runs) {
        if (clientRuns.failed > 0)
            std::cerr << "ftp_bench: " << client << " failed " << clientRuns.failed << " of " << rounds << " runs of "
                      << line << "\n";
    }
}

const std::vector<std::string> transferClients{"ours", "sftp", "scp", "lftp"};
const std::vector<std::string> transferPeers{"sftp", "scp", "lftp"};

// One 256 MiB transfer by one client.
std::optional<Run> timeFile(const SshTarget &target, const std::string &client, Op op, const fs::path &local)
{
    const std::string remote = op == Op::Upload ? client + ".bin" : "download.bin";
    if (client == "ours") {
        return runOurs(target, [&](SftpRemoteFiles &files) {
            if (op == Op::Upload)
                files.store(local.string(), remote);
            else
                files.retrieve(remote, local.string(), true);
            return true;
        });
    }
    if (client == "sftp")
        return runPeer(target,
                       sftpBatch(target,
                                 client,
                                 {op == Op::Upload ? "put " + local.string() + " " + remote
                                                   : "get " + remote + " " + local.string()}));
    if (client == "scp")
        return runPeer(target,
                       op == Op::Upload ? scpCommand(target, false, local.string(), remoteOf(target, remote))
                                        : scpCommand(target, false, remoteOf(target, remote), local.string()));
    return runPeer(target,
                   lftpCommand(target,
                               op == Op::Upload ? "put " + local.string() + " -o " + remote
                                                : "get " + remote + " -o " + local.string()));
}

void runFileLines(const SshTarget &target, const fs::path &work, const fs::path &source, bool throughProxy)
{
    const int rounds = roundsFromEnvironment(throughProxy ? latencyFileRounds : fileRounds);
    for (const Op op : {Op::Upload, Op::Download}) {
        std::map<std::string, Runs> runs;
        for (int round = 0; round < rounds; ++round) {
            std::cerr << "ftp_bench: sshd " << opName(op) << (throughProxy ? " through the proxy" : "") << " round "
                      << round + 1 << " of " << rounds << "\n";
            for (const std::string &client : orderOf(transferClients, round)) {
                const fs::path local = op == Op::Upload ? source : work / ("down-" + client + ".bin");
                const fs::path written = op == Op::Upload ? target.home / (client + ".bin") : local;
                fs::remove(written);
                std::this_thread::sleep_for(runPause);
                const std::optional<Run> run = timeFile(target, client, op, local);
                Runs &clientRuns = runs[client];
                if (run && fs::exists(written) && fs::file_size(written) == fileSize) {
                    const double mebibytes = static_cast<double>(fileSize) / mebibyte;
                    clientRuns.values.push_back(mebibytes / run->seconds);
                    clientRuns.withoutStart.push_back(mebibytes / (run->seconds - run->startSeconds));
                    clientRuns.starts.push_back(run->startSeconds);
                } else {
                    ++clientRuns.failed;
                }
                fs::remove(written);
            }
        }
        const std::string peer = bestPeer(runs, transferPeers, false);
        const double ours = median(runs["ours"].values);
        const double best = peer.empty() ? 0 : median(runs[peer].values);
        std::printf("ftp_bench %s %s%s sftp ours_MBps=%.1f best_peer_MBps=%.1f peer=%s ratio=%.3f",
                    serverName,
                    opName(op),
                    throughProxy ? "-rtt20" : "",
                    ours,
                    best,
                    peer.c_str(),
                    ratioOf(ours, best));
        if (throughProxy) {
            const double goal = op == Op::Upload ? uploadGoalMBps : downloadGoalMBps;
            std::printf(" goal_MBps=%.0f goal_ratio=%.3f rtt_ms=%lld peer_start_s=%.3f ratio_nostart=%.3f",
                        goal,
                        ours / goal,
                        static_cast<long long>(2 * latencyOneWay.count()),
                        peer.empty() ? 0 : median(runs[peer].starts),
                        peer.empty() ? 0 : ratioOf(ours, median(runs[peer].withoutStart)));
        }
        std::printf("\n");
        std::fflush(stdout);
        reportFailures(runs, opName(op), rounds);
    }
}

// One tree transfer by one client: up into the home's "site", or down from "dl/site" into
// into/site.
std::optional<Run>
timeTree(const SshTarget &target, const std::string &client, Op op, const fs::path &localTree, const fs::path &into)
{
    const std::string downloaded = (into / "site").string();
    if (client == "ours") {
        return runOurs(target, [&](SftpRemoteFiles &files) {
            FtpJobContext context(
                files, [](const JobProgress &) {}, [] { return false; });
            if (op == Op::Download)
                files.changeDir("dl");
            const TransferJobs::Summary summary = op == Op::Upload
                ? TransferJobs::uploadFolder(context, QString::fromStdString(localTree.string()), {})
                : TransferJobs::downloadFolder(context, QString::fromStdString(into.string()), "site");
            return summary.files == treeFiles;
        });
    }
    if (client == "sftp")
        return runPeer(
            target,
            sftpBatch(target,
                      client,
                      {op == Op::Upload ? "put -r " + localTree.string() + " site" : "get -r dl/site " + downloaded}));
    if (client == "scp")
        return runPeer(target,
                       op == Op::Upload ? scpCommand(target, true, localTree.string(), remoteOf(target, "site"))
                                        : scpCommand(target, true, remoteOf(target, "dl/site"), downloaded));
    return runPeer(
        target,
        lftpCommand(target,
                    op == Op::Upload ? "mirror -R " + localTree.string() + " site" : "mirror dl/site " + downloaded));
}

void runTreeLines(const SshTarget &target, const fs::path &work)
{
    const fs::path localTree = work / "sftp-tree" / "site";
    writeTree(localTree);
    writeTree(target.home / "dl" / "site");
    for (const auto &entry : fs::recursive_directory_iterator(target.home / "dl"))
        fs::permissions(entry.path(), entry.is_directory() ? fs::perms(0755) : fs::perms(0644));
    const int rounds = roundsFromEnvironment(treeRounds);
    for (const Op op : {Op::Upload, Op::Download}) {
        std::map<std::string, Runs> runs;
        for (int round = 0; round < rounds; ++round) {
            std::cerr << "ftp_bench: sshd tree " << opName(op) << " round " << round + 1 << " of " << rounds << "\n";
            for (const std::string &client : orderOf(transferClients, round)) {
                const fs::path into = work / ("sftp-down-" + client);
                const fs::path written = op == Op::Upload ? target.home / "site" : into / "site";
                fs::remove_all(op == Op::Upload ? written : into);
                fs::create_directories(into);
                std::this_thread::sleep_for(runPause);
                const std::optional<Run> run = timeTree(target, client, op, localTree, into);
                if (run && countFiles(written) == static_cast<std::size_t>(treeFiles))
                    runs[client].values.push_back(treeFiles / run->seconds);
                else
                    ++runs[client].failed;
                fs::remove_all(written);
            }
        }
        const std::string peer = bestPeer(runs, transferPeers, false);
        const double ours = median(runs["ours"].values);
        const double best = peer.empty() ? 0 : median(runs[peer].values);
        std::printf("ftp_bench %s tree-%s sftp ours_fps=%.0f best_peer_fps=%.0f peer=%s ratio=%.3f\n",
                    serverName,
                    opName(op),
                    ours,
                    best,
                    peer.c_str(),
                    ratioOf(ours, best));
        std::fflush(stdout);
        reportFailures(runs, opName(op), rounds);
    }
}

// sftp-server's log has a line "request <id>: <operation> …" for every request, and others for
// its answers ("request <id>: sent …"); counts the requests from offset from on.
int requestsLogged(const fs::path &log, std::uintmax_t from)
{
    std::ifstream file(log, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(from));
    static const std::regex request(R"(request [0-9]+: (\S+))");
    int count = 0;
    std::smatch match;
    for (std::string line; std::getline(file, line);) {
        if (std::regex_search(line, match, request) && match[1] != "sent")
            ++count;
    }
    return count;
}

std::uintmax_t logSize(const fs::path &log)
{
    std::error_code error;
    const std::uintmax_t size = fs::file_size(log, error);
    return error ? 0 : size;
}

// The batch of the peer that puts the site's folders with sftp, and of the floor that puts
// exactly the files to send (and makes the folders of a first publish).
std::vector<std::string> folderPuts(const fs::path &local, const std::string &remote, bool first)
{
    std::vector<std::string> lines;
    if (first)
        lines.push_back("mkdir " + remote);
    // put -r into a folder that is there puts the folder inside it.
    for (int folder = 0; folder < treeFolders; ++folder)
        lines.push_back("put -r " + (local / ("dir" + std::to_string(folder))).string() + " " + remote);
    return lines;
}

std::vector<std::string> floorPuts(const fs::path &local, const std::string &remote, bool first)
{
    std::vector<std::string> lines;
    if (first) {
        lines.push_back("mkdir " + remote);
        for (int folder = 0; folder < treeFolders; ++folder)
            lines.push_back("mkdir " + remote + "/dir" + std::to_string(folder));
    }
    for (const fs::path &page : first ? allPages() : changedPages())
        lines.push_back("put " + (local / page).string() + " " + remote + "/" + page.generic_string());
    return lines;
}

const std::vector<std::string> publishClients{"ours", "lftp", "sftp", "floor"};
const std::vector<std::string> publishPeers{"lftp", "sftp"};

// One publish by one client through the proxy, into remote (first: the whole site into a folder
// not there yet; else 更新分を公開 into the folder it published whole before).
std::optional<Run> timePublish(const SshTarget &target,
                               const std::string &client,
                               const fs::path &local,
                               const std::string &remote,
                               bool first,
                               const fs::path &requestLog)
{
    if (client == "ours") {
        if (first)
            fs::create_directories(target.home / remote);
        fs::permissions(target.home / remote, fs::perms(0777));
        SftpRemoteFiles files;
        FtpJobContext context(
            files, [](const JobProgress &) {}, [] { return false; });
        Run run;
        long long start = 0;
        const std::optional<double> seconds = PublishRun::time(
            context,
            [&] {
                start = bench::monotonicNs();
                files.connect(loginFor(target));
            },
            PublishRun::siteFor(target.host, target.user, local, remote),
            PublishRun::Part::Whole,
            [&] {
                run.planSeconds = double(bench::monotonicNs() - start) / 1e9;
                run.planLogEnd = logSize(requestLog); // counted after the run, not on its clock
            });
        if (!seconds)
            return std::nullopt;
        run.seconds = *seconds;
        return run;
    }
    if (client == "lftp")
        return runPeer(
            target,
            lftpCommand(target,
                        std::string("mirror -R ") + (first ? "" : "--only-newer ") + local.string() + " " + remote));
    return runPeer(target,
                   sftpBatch(target,
                             client,
                             client == "floor" ? floorPuts(local, remote, first) : folderPuts(local, remote, first)));
}

void printPublishLine(const char *line, std::map<std::string, Runs> &runs)
{
    const std::string peer = bestPeer(runs, publishPeers, true);
    Runs &ours = runs["ours"];
    Runs &floor = runs["floor"];
    const double oursSeconds = median(ours.values);
    const double peerSeconds = peer.empty() ? 0 : median(runs[peer].values);
    std::printf("ftp_bench %s %s sftp ours_s=%.3f best_peer_s=%.3f peer=%s ratio=%.3f floor_s=%.3f commands=%.0f "
                "rtt_ms=%lld peer_start_s=%.3f ratio_nostart=%.3f floor_start_s=%.3f floor_ratio=%.3f "
                "floor_ratio_nostart=%.3f peer_commands=%.0f floor_commands=%.0f\n",
                serverName,
                line,
                oursSeconds,
                peerSeconds,
                peer.c_str(),
                ratioOf(peerSeconds, oursSeconds),
                median(floor.values),
                median(ours.commands),
                static_cast<long long>(2 * latencyOneWay.count()),
                peer.empty() ? 0 : median(runs[peer].starts),
                peer.empty() ? 0 : ratioOf(median(runs[peer].withoutStart), oursSeconds),
                median(floor.starts),
                ratioOf(median(floor.values), oursSeconds),
                ratioOf(median(floor.withoutStart), oursSeconds),
                peer.empty() ? 0 : median(runs[peer].commands),
                median(floor.commands));
    // Each peer's own time, for the goals that name one.
    const double plan = median(ours.planSeconds);
    const double planCommands = median(ours.planCommands);
    std::printf("ftp_bench %s %s-phases sftp plan_s=%.3f plan_commands=%.0f publish_s=%.3f publish_commands=%.0f\n",
                serverName,
                line,
                plan,
                planCommands,
                oursSeconds - plan,
                median(ours.commands) - planCommands);
    for (const std::string &each : publishPeers)
        std::fprintf(stderr, "ftp_bench: %s %s took %.3f s\n", line, each.c_str(), median(runs[each].values));
    std::fflush(stdout);
}

void record(Runs &runs, const std::optional<Run> &run, int commands)
{
    if (!run) {
        ++runs.failed;
        return;
    }
    runs.values.push_back(run->seconds);
    runs.withoutStart.push_back(run->seconds - run->startSeconds);
    runs.starts.push_back(run->startSeconds);
    runs.commands.push_back(commands);
}

void runPublishLines(const SshTarget &target, const fs::path &requestLog, const fs::path &work)
{
    const fs::path local = work / "sftp-publish" / "site";
    writeTree(local);
    const auto folderOf = [](const std::string &client, int round) {
        return round == 0 ? "pub-" + client : "first-" + std::to_string(round) + "-" + client;
    };
    const auto timed = [&](Runs &runs, const std::string &client, const std::string &remote, bool first, int round) {
        const std::uintmax_t logStart = logSize(requestLog);
        std::this_thread::sleep_for(runPause);
        std::optional<Run> run = timePublish(target, client, local, remote, first, requestLog);
        const bool complete = first ? countFiles(target.home / remote) == static_cast<std::size_t>(treeFiles)
                                    : holdsRound(target.home / remote, round);
        if (run && !complete) {
            std::cerr << "ftp_bench: " << client << "'s publish into " << remote << " left the wrong files\n";
            run.reset();
        }
        record(runs, run, requestsLogged(requestLog, logStart));
        if (run && client == "ours") {
            runs.planSeconds.push_back(run->planSeconds);
            runs.planCommands.push_back(requestsLogged(requestLog, logStart)
                                        - requestsLogged(requestLog, run->planLogEnd));
        }
    };
    std::map<std::string, Runs> first;
    const int firstRounds = roundsFromEnvironment(firstPublishRounds);
    for (int round = 0; round < firstRounds; ++round) {
        std::cerr << "ftp_bench: sshd first publish round " << round + 1 << " of " << firstRounds << "\n";
        for (const std::string &client : orderOf(publishClients, round))
            timed(first[client], client, folderOf(client, round), true, 0);
    }
    printPublishLine("publish1000-rtt20", first);
    reportFailures(first, "publish1000-rtt20", firstRounds);

    std::map<std::string, Runs> changed;
    const int rounds = roundsFromEnvironment(changedRounds);
    for (int round = 1; round <= rounds; ++round) {
        std::cerr << "ftp_bench: sshd publish10of1000 round " << round << " of " << rounds << "\n";
        // A second later than the last publish: lftp compares times to the second.
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        for (const fs::path &page : changedPages())
            std::ofstream(local / page, std::ios::binary | std::ios::trunc) << roundContent(round);
        for (const std::string &client : orderOf(publishClients, round))
            timed(changed[client], client, folderOf(client, 0), false, round);
    }
    printPublishLine("publish10of1000-rtt20", changed);
    reportFailures(changed, "publish10of1000-rtt20", rounds);
}

// The run's key pair, for every client.
std::string makeKey(const fs::path &work)
{
    const std::string key = (work / "sftp-client-key").string();
    fs::remove(key);
    fs::remove(key + ".pub");
    if (std::system(("ssh-keygen -q -t ed25519 -N '' -C qzweb-bench -f '" + key + "'").c_str()) != 0)
        return {};
    return key;
}

// A target through a delay proxy of 10 ms each way in front of target.
std::unique_ptr<DelayProxy> proxyFor(SshTarget &target)
{
    auto proxy = std::make_unique<DelayProxy>(
        latencyAddress, "127.0.0.1", target.port, 0, 0, std::chrono::microseconds(latencyOneWay));
    if (!proxy->start()) {
        std::cerr << "ftp_bench: the delay proxy could not listen on " << latencyAddress << "\n";
        return nullptr;
    }
    target.host = latencyAddress;
    target.proxy = proxy.get();
    return proxy;
}

} // namespace

int runSftpLines(const fs::path &work, SftpLines which)
{
    if (!SshdServer::available()) {
        std::cerr << "ftp_bench: the SFTP lines need root, /usr/sbin/sshd and ssh-keygen\n";
        return 1;
    }
    const fs::path folder = work / "sftp";
    fs::create_directories(folder);
    // sshd's user must pass through the run's folders to its home inside them.
    for (fs::path up = folder; up != work.parent_path(); up = up.parent_path())
        fs::permissions(up, fs::perms(0755));
    const std::string key = makeKey(folder);
    if (key.empty())
        return 1;
    // Our client would try an agent first; the peers are told not to.
    ::unsetenv("SSH_AUTH_SOCK");
    const fs::path dataHome = folder / "home";
    fs::create_directories(dataHome);
    ::setenv("QZWEB_HOME", dataHome.c_str(), 1);
    int argc = 1;
    char name[] = "ftp_bench";
    char *argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> application;
    if (QCoreApplication::instance() == nullptr)
        application = std::make_unique<QCoreApplication>(argc, argv); // finds the data folder
    try {
        SshdServer::Options options;
        options.passwords = false;
        options.keyboardInteractive = false;
        options.authorizedKeys = {SshdServer::publicLine(key)};
        options.parentFolder = folder.string();
        SshTarget target;
        std::optional<SshdServer> server;
        // Logging every request costs sftp-server time: only the publish lines count them.
        const auto start = [&](bool logRequests) {
            options.logRequests = logRequests;
            server.reset();
            server.emplace(options);
            target = SshTarget{"127.0.0.1", server->port(), server->user(), key, {}, server->home(), folder, nullptr};
            target.fingerprint = fingerprintOf(target);
            std::cerr << "ftp_bench: sshd on 127.0.0.1:" << target.port << " for " << target.user << "\n";
            return !target.fingerprint.empty();
        };
        if (which != SftpLines::Latency) {
            if (!start(false))
                return 1;
            const fs::path source = work / "source.bin";
            if (!fs::exists(source))
                writeRandomFile(source);
            fs::copy_file(source, target.home / "download.bin", fs::copy_options::overwrite_existing);
            fs::permissions(target.home / "download.bin", fs::perms(0644));
            runFileLines(target, folder, source, false);
            runTreeLines(target, folder);
            {
                SshTarget behind = target;
                const std::unique_ptr<DelayProxy> proxy = proxyFor(behind);
                if (!proxy)
                    return 1;
                runFileLines(behind, folder, source, true);
            }
        }
        if (which == SftpLines::Transfers)
            return 0;
        if (!start(true))
            return 1;
        SshTarget behind = target;
        const std::unique_ptr<DelayProxy> proxy = proxyFor(behind);
        if (!proxy)
            return 1;
        runPublishLines(behind, server->requestLog(), folder);
    } catch (const std::exception &error) {
        std::cerr << "ftp_bench: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
