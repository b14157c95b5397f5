// ftp_bench: how fast does our FTP client move a large file over loopback, next to curl and
// lftp against the same server? Starts its own server (vsftpd when run as root, else
// pyftpdlib, kept on one processor) on a free loopback port, runs uploads and downloads of a
// 256 MiB file in active and passive mode, interleaving the three clients round by round, and
// prints the medians:
//
//   ftp_bench <server> <op> <mode> ours_MBps=<x> best_peer_MBps=<y> peer=<curl|lftp> ratio=<x/y>
//
// MBps are MiB per second. Ours moves the file in this process, as the running transfer window
// does when a transfer starts; curl and lftp are programs started for the one transfer, so their
// start-up is part of their time. (The tree lines below still start ours as a process.)
//
// Then a tree of 1,000 files of 4 KiB in 20 folders goes up with our folder upload (the job the
// transfer window runs) and comes back with our folder download, next to lftp's mirror -R and
// mirror, printed in files per second:
//
//   ftp_bench <server> tree-upload|tree-download <mode> ours_fps=<x> best_peer_fps=<y> peer=lftp ratio=<x/y>
//
// Last, a folder of 10,000 files is listed and shown: the transfer window's own refresh (the
// FTP job, the parser, the rows of the remote list), from the click until the rows are in the
// list, next to curl listing the same folder:
//
//   ftp_bench <server> list10k active ours_s=<x> best_peer_s=<y> peer=curl ratio=<y/x>
//
// The window is already open when a user refreshes, so that one is timed inside this process;
// curl pays its start-up. A folder of 100,000 files is connected to and refreshed with the
// window shown: the longest the window's event loop went without turning (its goal: at most
// 100 ms), and the resident memory the listing added per entry (its goal: at most 1 KiB), each
// with the ratio goal / ours, so 1 or more meets the goal:
//
//   ftp_bench <server> list100k-stall active ours_ms=<x> goal_ms=100 ratio=<100/x>
//   ftp_bench <server> list100k-memory active ours_bytes_per_entry=<x> goal_bytes_per_entry=1024 ratio=<1024/x>
//
// Then 更新分を公開 on a site of 1,000 files in 20 folders of which 10 changed since the last
// publish, from the start to done, next to lftp's mirror -R --only-newer on the same trees, each
// publishing to a folder of its own that it published whole before; a run counts only when the
// server then holds the 10 changes. Ours connects, plans and publishes in this process, as the
// running program does when 公開 is pressed (lftp's own start is part of lftp's time: it is a
// program started for the one publish). And the plan of the unchanged site against its goal
// of 1 s:
//
//   ftp_bench <server> publish10of1000 <mode> ours_s=<x> best_peer_s=<y> peer=lftp ratio=<y/x>
//   ftp_bench <server> plan-unchanged1000 passive ours_s=<x> goal_s=1 ratio=<1/x>
//
// Then, as root, the file and tree lines again over FTPS (explicit TLS, data protected)
// against vsftpd with a certificate made for the run, with curl --ssl-reqd and lftp with
// ftp:ssl-force as the peers, all trusting that certificate; the server is named vsftpd-ftps:
//
//   ftp_bench vsftpd-ftps <op> <mode> ours_MBps=<x> best_peer_MBps=<y> peer=<curl|lftp> ratio=<x/y>
//   ftp_bench vsftpd-ftps tree-upload|tree-download <mode> ours_fps=<x> best_peer_fps=<y> peer=lftp ratio=<x/y>
//
// Last, as root, the publish lines through a round trip of 20 ms: a delay proxy of the bench's
// own (10 ms each way) stands between every client and a vsftpd of its own, plain and then
// FTPS, control and passive data connections alike (active mode is left out: the server would
// connect to the client around the proxy). A first publish of the 1,000 files into an empty
// folder, and then 更新分を公開 of 10 of them, by ours (in this process, as above), lftp's
// mirror -R (--only-newer) and a floor that knows the answer, curl given exactly the files to
// send in one process; ratios are the other's time divided by ours:
//
//   ftp_bench <server> publish1000-rtt20|publish10of1000-rtt20 passive ours_s=<x> best_peer_s=<y> peer=lftp
//     ratio=<y/x> floor_s=<f> commands=<n> peer_start_s=<s> ratio_nostart=<(y-s)/x> floor_start_s=<t>
//     floor_ratio=<f/x> floor_ratio_nostart=<(f-t)/x> peer_commands=<m> floor_commands=<k>
//   ftp_bench <server> <line>-phases passive plan_s=<p> plan_commands=<c> publish_s=<x-p> publish_commands=<n-c>
//
// commands is the server's count for ours: the command lines the proxy forwarded (plain FTP),
// or vsftpd's log of them (FTPS, whose control connection the proxy cannot read), over every
// connection ours opened (the plan's folders and the files go over up to four, as the
// publish's own logins say; lftp and curl use one); the peers' counts come from the log. A peer's start-up is the time from its process's start to its
// control connection reaching the proxy (its first packet on the wire: a first command waits
// for the greeting, two round trips of network that every client pays); ours has none, the
// program runs before 公開 is pressed. The phases split ours at the end of the plan.
//
// Then, as root, the SFTP lines against an sshd of their own (see sftplines.cpp).
//
// Run with no arguments for every line, or with one part: "files" (the 256 MiB lines), "tree",
// "publish", "list", "ftps" (every FTPS line), "ftps-files", "ftps-tree", "latency" (the lines
// through the proxy), "latency-ftp", "latency-ftps", "sftp" (every SFTP line), "sftp-transfers"
// (its file and tree lines) or "latency-sftp" (its publishes).

#include "common/userdialogs.h"
#include "delayproxy.h"
#include "publishrun.h"
#include "sftplines.h"
#include "stallmeter.h"
#include "transfer/ftp/ftpclient.h"
#include "transfer/ftp/ftperror.h"
#include "transfer/ftpjobcontext.h"
#include "transfer/publishjobs.h"
#include "transfer/remotepane.h"
#include "transfer/transferjobs.h"
#include "transfer/transferwindow.h"
#include "transferbench.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <cctype>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <limits>
#include <linux/magic.h>
#include <map>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace TransferBench;

constexpr int rounds = 7;
// A 256 MiB transfer over loopback takes a fraction of a second, so one stray wait of the
// machine's moves a run by half; the file lines take more rounds for steady medians.
constexpr int fileRounds = 15;
// The source, the server's copy, the file it serves and a download, with room to spare.
constexpr std::uint64_t workSpace = 8 * fileSize;
constexpr auto serverStartLimit = std::chrono::seconds(15);
constexpr auto retryPause = std::chrono::milliseconds(50);
const char *const oursTreeFlag = "--run-ours-tree";
// Active mode leaves a socket in TIME_WAIT per file; a pause lets the loopback's table drain.
constexpr auto treeRunPause = std::chrono::seconds(2);

volatile sig_atomic_t g_serverGroup = 0;

void stopServerGroup()
{
    if (g_serverGroup > 0) {
        ::kill(-g_serverGroup, SIGTERM);
        ::waitpid(g_serverGroup, nullptr, 0);
        g_serverGroup = 0;
    }
}

// The run's folder, for the signal handler: in memory, a folder left behind would hold a
// gigabyte until the next reboot.
char g_workFolder[PATH_MAX] = {};

void onSignal(int)
{
    if (g_serverGroup > 0)
        ::kill(-g_serverGroup, SIGTERM);
    if (g_workFolder[0] != '\0') {
        const pid_t remover = ::fork();
        if (remover == 0) {
            ::execl("/bin/rm", "rm", "-rf", "--", g_workFolder, static_cast<char *>(nullptr));
            ::_exit(127);
        }
        if (remover > 0)
            ::waitpid(remover, nullptr, 0);
    }
    ::_exit(2);
}

struct Server
{
    std::string name;
    std::uint16_t port = 0;
    std::string user;
    std::string password;
    fs::path root;                  // what the server serves
    fs::path uploadDir;             // where uploads land, inside root
    std::string caFile;             // the certificate to trust, when the server requires FTPS
    std::string host = "127.0.0.1"; // where clients connect: the server, or a delay proxy before it
};

// Every client trusts the server's certificate through this, ours in its child process too.
const char *const caVariable = "QZWEB_BENCH_CA";

// The options that make curl and lftp speak FTPS to the server, trusting its certificate.
std::vector<std::string> curlTlsOptions(const Server &server)
{
    if (server.caFile.empty())
        return {};
    // curl fails an active-mode FTPS transfer here ("sa_addr inet_ntop() failed") and then waits
    // for ever, so the file lines leave it out of those; the time limit is a guard.
    return {"--ssl-reqd", "--cacert", server.caFile, "--max-time", "20"};
}

std::string lftpTlsSettings(const Server &server)
{
    if (server.caFile.empty())
        return {};
    return "set ftp:ssl-force true; set ftp:ssl-protect-data true; set ssl:ca-file " + server.caFile + "; ";
}

std::uint16_t freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// True once the server answers a connection with its 220 greeting.
bool greets(std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ready = false;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        pollfd entry{fd, POLLIN, 0};
        char buffer[64] = {};
        ready = ::poll(&entry, 1, 2000) > 0 && ::recv(fd, buffer, sizeof buffer - 1, 0) > 3
            && std::strncmp(buffer, "220", 3) == 0;
    }
    ::close(fd);
    return ready;
}

// In the server's child: keeps the server and every process it forks on one processor, as if it
// ran on a machine of its own. vsftpd's FTPS data path hands each 16 KiB record between two of
// its processes; left free, the kernel spreads them over the processors whenever the client
// leaves one idle, and every hand-over then wakes an idle processor. That made a client that
// uses less processor time upload slower, and the FTPS upload lines measured the kernel's
// placement of the server instead of the client. With one processor there is nothing to keep.
void keepOnOneProcessor()
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) != 0 || CPU_COUNT(&allowed) < 2)
        return;
    int last = CPU_SETSIZE - 1;
    while (!CPU_ISSET(last, &allowed))
        --last;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(last, &one);
    ::sched_setaffinity(0, sizeof one, &one);
}

pid_t spawnGroup(const std::vector<std::string> &arguments, int stdoutFd)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        keepOnOneProcessor();
        if (stdoutFd >= 0)
            ::dup2(stdoutFd, STDOUT_FILENO);
        execOrExit(arguments);
    }
    ::setpgid(pid, pid);
    return pid;
}

bool waitUntilGreeting(std::uint16_t port)
{
    const auto giveUp = Clock::now() + serverStartLimit;
    while (Clock::now() < giveUp) {
        if (greets(port))
            return true;
        std::this_thread::sleep_for(retryPause);
    }
    return false;
}

// Where a vsftpd behind a delay proxy sends passive data connections: it names the proxy's
// address in its PASV replies and takes them on a fixed range of ports, which the proxy forwards.
struct PassiveRoute
{
    std::string address;
    std::uint16_t firstPort = 0;
    int ports = 0;
};

// With tls, vsftpd requires FTPS (and session reuse on data connections, as by default) with a
// self-signed certificate for 127.0.0.1 (and the delay proxy's address) made here, which the
// clients trust as it is. With a route, it also logs every command, so runs can be counted.
std::optional<Server> startVsftpd(const fs::path &work, bool tls = false, const PassiveRoute *route = nullptr)
{
    if (::geteuid() != 0 || ::access("/usr/sbin/vsftpd", X_OK) != 0)
        return std::nullopt;
    Server server{
        "vsftpd", freeLoopbackPort(), "anonymous", "bench@example.com", work / "serve", work / "serve/up", {}};
    std::string tlsLines;
    if (tls) {
        server.name = "vsftpd-ftps";
        server.caFile = (work / "server.crt").string();
        const std::string key = (work / "server.key").string();
        const std::string make = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout '"
            + key + "' -out '" + server.caFile
            + "' -days 2 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1,IP:127.0.0.3 >/dev/null 2>&1";
        if (::system(make.c_str()) != 0)
            return std::nullopt;
        tlsLines = "ssl_enable=YES\nallow_anon_ssl=YES\nforce_anon_logins_ssl=YES\nforce_anon_data_ssl=YES\n"
                   "require_ssl_reuse=YES\nrsa_cert_file="
            + server.caFile + "\nrsa_private_key_file=" + key + "\n";
    }
    // vsftpd refuses an anonymous root the ftp user could write to; uploads go one level down.
    fs::create_directories(server.uploadDir);
    fs::permissions(work, fs::perms(0755));
    fs::permissions(server.root, fs::perms(0755));
    if (::system(("chown ftp '" + server.uploadDir.string() + "'").c_str()) != 0)
        return std::nullopt;
    const fs::path config = work / "vsftpd.conf";
    std::ofstream(config) << "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\n"
                          << "listen_port=" << server.port << "\nbackground=NO\n"
                          << "anonymous_enable=YES\nno_anon_password=YES\nanon_root=" << server.root.string() << "\n"
                          << "local_enable=NO\nwrite_enable=YES\nanon_upload_enable=YES\n"
                          << "anon_other_write_enable=YES\nanon_mkdir_write_enable=YES\nanon_umask=022\n"
                          << "pasv_enable=YES\nport_enable=YES\nconnect_from_port_20=NO\n"
                          << "secure_chroot_dir=/var/run/vsftpd/empty\nseccomp_sandbox=NO\n"
                          << "isolate=NO\nisolate_network=NO\n"
                          << "vsftpd_log_file=" << (work / "vsftpd.log").string() << "\n"
                          << tlsLines;
    if (route) {
        std::ofstream(config, std::ios::app)
            << "xferlog_enable=YES\nxferlog_std_format=NO\nlog_ftp_protocol=YES\n"
            << "pasv_address=" << route->address << "\npasv_min_port=" << route->firstPort
            << "\npasv_max_port=" << route->firstPort + route->ports - 1 << "\n";
        // vsftpd's own TLS 1.2 cipher list has nothing for an EC certificate; curl, the floor,
        // speaks TLS 1.2 (see curlFloorCommand).
        if (tls)
            std::ofstream(config, std::ios::app) << "ssl_ciphers=HIGH\n";
    } else {
        std::ofstream(config, std::ios::app) << "xferlog_enable=NO\n";
    }
    g_serverGroup = spawnGroup({"/usr/sbin/vsftpd", config.string()}, -1);
    if (!waitUntilGreeting(server.port)) {
        stopServerGroup();
        return std::nullopt;
    }
    return server;
}

std::optional<Server> startPyftpdlib(const fs::path &work)
{
    Server server{"pyftpdlib", 0, "qzweb", "secret", work / "serve", work / "serve/up", {}};
    fs::create_directories(server.uploadDir);
    int output[2];
    if (::pipe(output) != 0)
        return std::nullopt;
    const std::string python = ::access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
    g_serverGroup = spawnGroup({python,
                                std::string(QZWEB_SOURCE_DIR) + "/tests/support/ftp/pyftpd_server.py",
                                server.root.string(),
                                server.user,
                                server.password},
                               output[1]);
    ::close(output[1]);
    std::string announced;
    char buffer[128];
    pollfd entry{output[0], POLLIN, 0};
    while (announced.find('\n') == std::string::npos && ::poll(&entry, 1, 15000) > 0) {
        const ssize_t got = ::read(output[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        announced.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(output[0]);
    if (announced.rfind("PORT ", 0) == 0)
        server.port = static_cast<std::uint16_t>(std::atoi(announced.c_str() + 5));
    if (server.port == 0 || !waitUntilGreeting(server.port)) {
        stopServerGroup();
        return std::nullopt;
    }
    return server;
}

enum class Op {
    Upload,
    Download,
};

struct Line
{
    Op op;
    bool passive;
};

const std::array<const char *, 3> clientNames{"ours", "curl", "lftp"};

// The command line of a peer, curl or lftp, for one transfer.
std::vector<std::string> commandFor(
    const std::string &client, const Server &server, const Line &line, const fs::path &local, const std::string &remote)
{
    const std::string port = std::to_string(server.port);
    const std::string url = "ftp://127.0.0.1:" + port + "/" + remote;
    if (client == "curl") {
        std::vector<std::string> command{"curl", "-sS", "--user", server.user + ":" + server.password};
        const std::vector<std::string> tls = curlTlsOptions(server);
        command.insert(command.end(), tls.begin(), tls.end());
        if (!line.passive) {
            command.push_back("--ftp-port");
            command.push_back("127.0.0.1");
        }
        if (line.op == Op::Upload)
            command.insert(command.end(), {"-T", local.string(), url});
        else
            command.insert(command.end(), {"-o", local.string(), url});
        return command;
    }
    const std::string transfer =
        line.op == Op::Upload ? "put " + local.string() + " -o " + remote : "get " + remote + " -o " + local.string();
    return {"lftp",
            "-c",
            lftpTlsSettings(server) + "set ftp:passive-mode " + (line.passive ? "on" : "off")
                + "; set xfer:log no; set net:max-retries 1; set net:timeout 30; set cmd:fail-exit yes; set "
                  "xfer:clobber on; "
                + "open -u " + server.user + "," + server.password + " -p " + port + " 127.0.0.1; " + transfer};
}

// Our client for the run's server on loopback, over TLS when the run made a certificate.
void configureClient(FtpClient &client,
                     bool passive,
                     const std::string &host,
                     std::uint16_t port,
                     const std::string &user,
                     const std::string &password)
{
    FtpSettings &settings = client.settings();
    settings.host = host;
    settings.dataMode = passive ? FtpDataMode::Passive : FtpDataMode::Active;
    settings.port = port;
    settings.user = user;
    settings.password = password;
    if (const char *caFile = std::getenv(caVariable)) {
        settings.security = FtpSecurity::ExplicitTls;
        settings.trustedCaFile = caFile;
    }
}

// The tree child takes mode, port, user and password as argv[3] to argv[6].
void configureChildClient(FtpClient &client, char **argv)
{
    configureClient(client,
                    std::string(argv[3]) == "passive",
                    "127.0.0.1",
                    static_cast<std::uint16_t>(std::atoi(argv[4])),
                    argv[5],
                    argv[6]);
}

// One transfer by our client, in this process: the program is running before the user asks for
// a transfer, so no process start belongs in its time; the peers are programs started for it.
// The seconds it took, or nothing when it failed.
std::optional<double>
timeOursTransfer(const Server &server, const Line &line, const fs::path &local, const std::string &remote)
{
    FtpClient client;
    configureClient(client, line.passive, server.host, server.port, server.user, server.password);
    try {
        const auto start = Clock::now();
        client.connect();
        if (line.op == Op::Upload)
            client.store(local.string(), remote);
        else
            client.retrieve(remote, local.string(), true);
        client.quit();
        return std::chrono::duration<double>(Clock::now() - start).count();
    } catch (const FtpError &error) {
        std::cerr << "ftp_bench: our client failed: " << error.what() << "\n";
        return std::nullopt;
    }
}

// The child process that is "our client" for one tree: argv = flag, op, mode, port, user,
// password, local folder, remote folder to stand in.
int runOursTree(char **argv)
{
    const std::string op = argv[2];
    FtpClient client;
    configureChildClient(client, argv);
    FtpJobContext context(
        client, [](const JobProgress &) {}, [] { return false; });
    try {
        client.connect();
        client.changeDir(argv[8]);
        const QString local = QString::fromLocal8Bit(argv[7]);
        const TransferJobs::Summary summary = op == "upload" ? TransferJobs::uploadFolder(context, local, {})
                                                             : TransferJobs::downloadFolder(context, local, "site");
        client.quit();
        return summary.files == treeFiles ? 0 : 1;
    } catch (const std::exception &error) {
        std::cerr << "ftp_bench: our tree client failed: " << error.what() << "\n";
        return 1;
    }
}

void runTreeLines(const Server &server, const fs::path &work)
{
    // up/site is where uploads land; dl/site is what downloads fetch.
    const fs::path localTree = work / "tree" / "site";
    writeTree(localTree);
    const fs::path served = server.root / "dl" / "site";
    writeTree(served);
    for (const auto &entry : fs::recursive_directory_iterator(server.root / "dl"))
        fs::permissions(entry.path(), entry.is_directory() ? fs::perms(0755) : fs::perms(0644));
    fs::permissions(server.root / "dl", fs::perms(0755));

    const std::string port = std::to_string(server.port);
    std::map<std::pair<int, std::string>, std::vector<double>> speeds;
    std::map<std::pair<int, std::string>, int> failures;
    const std::array<Line, 4> lines{
        Line{Op::Upload, false}, Line{Op::Upload, true}, Line{Op::Download, false}, Line{Op::Download, true}};
    // QZWEB_BENCH_ROUNDS shortens a trial run of the tree lines.
    const char *roundsSet = std::getenv("QZWEB_BENCH_ROUNDS");
    const int treeRounds = roundsSet && std::atoi(roundsSet) > 0 ? std::atoi(roundsSet) : rounds;
    for (int round = 0; round < treeRounds; ++round) {
        std::cerr << "ftp_bench: tree round " << round + 1 << " of " << treeRounds << "\n";
        for (std::size_t index = 0; index < lines.size(); ++index) {
            const Line &line = lines[index];
            const std::string mode = line.passive ? "passive" : "active";
            for (const std::string client : {"ours", "lftp"}) {
                const fs::path target = line.op == Op::Upload ? server.root / "up" / "site" : work / ("down-" + client);
                fs::remove_all(target);
                if (line.op == Op::Download)
                    fs::create_directories(target);
                std::vector<std::string> command;
                if (client == "ours") {
                    command = {"/proc/self/exe",
                               oursTreeFlag,
                               line.op == Op::Upload ? "upload" : "download",
                               mode,
                               port,
                               server.user,
                               server.password,
                               line.op == Op::Upload ? localTree.string() : target.string(),
                               line.op == Op::Upload ? "up" : "dl"};
                } else {
                    const std::string mirror = line.op == Op::Upload ? "mirror -R " + localTree.string() + " up/site"
                                                                     : "mirror dl/site " + (target / "site").string();
                    command = {"lftp",
                               "-c",
                               lftpTlsSettings(server) + "set ftp:passive-mode "
                                   + std::string(line.passive ? "on" : "off")
                                   + "; set xfer:log no; set net:max-retries 1; set net:timeout 30; "
                                     "set cmd:fail-exit yes; open -u "
                                   + server.user + "," + server.password + " -p " + port + " 127.0.0.1; " + mirror};
                }
                std::this_thread::sleep_for(treeRunPause);
                const std::optional<double> seconds = timeRun(command);
                const fs::path written = line.op == Op::Upload ? target : target / "site";
                const auto key = std::make_pair(static_cast<int>(index), client);
                if (seconds && countFiles(written) == static_cast<std::size_t>(treeFiles))
                    speeds[key].push_back(treeFiles / *seconds);
                else
                    ++failures[key];
                fs::remove_all(target);
            }
        }
    }
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const Line &line = lines[index];
        const double ours = median(speeds[{static_cast<int>(index), "ours"}]);
        const double lftp = median(speeds[{static_cast<int>(index), "lftp"}]);
        std::printf("ftp_bench %s %s %s ours_fps=%.0f best_peer_fps=%.0f peer=lftp ratio=%.3f\n",
                    server.name.c_str(),
                    line.op == Op::Upload ? "tree-upload" : "tree-download",
                    line.passive ? "passive" : "active",
                    ours,
                    lftp,
                    lftp > 0 ? ours / lftp : 0.0);
        for (const std::string client : {"ours", "lftp"}) {
            const int failed = failures[{static_cast<int>(index), client}];
            if (failed > 0)
                std::fprintf(
                    stderr, "ftp_bench: %s failed %d of %d runs on that line\n", client.c_str(), failed, treeRounds);
        }
    }
}

enum class Mirror {
    OnlyNewer, // 更新分を公開: what changed since the last publish
    Whole,     // a first publish
};

std::vector<std::string> lftpPublishCommand(const Server &server,
                                            bool passive,
                                            const fs::path &local,
                                            const std::string &remote = "up/pub-lftp",
                                            Mirror mirror = Mirror::OnlyNewer)
{
    return {"lftp",
            "-c",
            lftpTlsSettings(server) + "set ftp:passive-mode " + (passive ? "on" : "off")
                + "; set xfer:log no; set net:max-retries 1; set net:timeout 30; set cmd:fail-exit yes; open -u "
                + server.user + "," + server.password + " -p " + std::to_string(server.port) + " " + server.host
                + "; mirror -R " + (mirror == Mirror::OnlyNewer ? "--only-newer " : "") + local.string() + " "
                + remote};
}

using PublishPart = PublishRun::Part;

// Our publish of the site to remote (up/pub-ours unless named), in this process (see
// PublishRun::time).
std::optional<double> timeOursPublish(const Server &server,
                                      bool passive,
                                      const fs::path &local,
                                      PublishPart part,
                                      const std::string &remote = "up/pub-ours",
                                      const std::function<void()> &planned = {})
{
    FtpClient client;
    configureClient(client, passive, server.host, server.port, server.user, server.password);
    FtpJobContext context(
        client, [](const JobProgress &) {}, [] { return false; });
    return PublishRun::time(
        context,
        [&] { client.connect(); },
        PublishRun::siteFor(server.host, server.user, local, remote),
        part,
        planned);
}

std::optional<double> timePublish(const Server &server, const std::string &client, bool passive, const fs::path &local)
{
    return client == "ours" ? timeOursPublish(server, passive, local, PublishPart::Whole)
                            : timeRun(lftpPublishCommand(server, passive, local));
}

void runPublishLines(const Server &server, const fs::path &work)
{
    const fs::path local = work / "publish" / "site";
    writeTree(local);
    // The manifests of our publishes go to a data folder of the run's own.
    const fs::path home = work / "publish-home";
    fs::create_directories(home);
    ::setenv("QZWEB_HOME", home.c_str(), 1);
    int argc = 1;
    char name[] = "ftp_bench";
    char *argv[] = {name, nullptr};
    const QCoreApplication application(argc, argv); // finds the data folder
    for (const std::string client : {"ours", "lftp"}) {
        fs::create_directories(server.uploadDir / ("pub-" + client));
        fs::permissions(server.uploadDir / ("pub-" + client), fs::perms(0777));
        if (!timePublish(server, client, true, local)) {
            std::cerr << "ftp_bench: the first publish of " << client << " failed\n";
            return;
        }
    }
    std::map<std::pair<bool, std::string>, std::vector<double>> times;
    std::map<std::pair<bool, std::string>, int> failures;
    const char *roundsSet = std::getenv("QZWEB_BENCH_ROUNDS");
    const int publishRounds = roundsSet && std::atoi(roundsSet) > 0 ? std::atoi(roundsSet) : rounds;
    int round = 0;
    for (int pass = 0; pass < publishRounds; ++pass) {
        std::cerr << "ftp_bench: publish round " << pass + 1 << " of " << publishRounds << "\n";
        for (const bool passive : {false, true}) {
            ++round;
            // A second later than the last publish: lftp compares times to the second.
            std::this_thread::sleep_for(std::chrono::milliseconds(1100));
            for (const fs::path &page : changedPages())
                std::ofstream(local / page, std::ios::binary | std::ios::trunc) << roundContent(round);
            // Whoever goes first gets the warmer cache: the order alternates.
            std::vector<std::string> order{"ours", "lftp"};
            if (round % 2 == 0)
                std::swap(order[0], order[1]);
            for (const std::string &client : order) {
                std::this_thread::sleep_for(treeRunPause);
                const std::optional<double> seconds = timePublish(server, client, passive, local);
                const auto key = std::make_pair(passive, client);
                if (seconds && holdsRound(server.uploadDir / ("pub-" + client), round))
                    times[key].push_back(*seconds);
                else
                    ++failures[key];
            }
        }
    }
    for (const bool passive : {false, true}) {
        const double ours = median(times[{passive, "ours"}]);
        const double lftp = median(times[{passive, "lftp"}]);
        std::printf("ftp_bench %s publish10of1000 %s ours_s=%.3f best_peer_s=%.3f peer=lftp ratio=%.3f\n",
                    server.name.c_str(),
                    passive ? "passive" : "active",
                    ours,
                    lftp,
                    ours > 0 ? lftp / ours : 0.0);
        for (const std::string client : {"ours", "lftp"}) {
            const int failed = failures[{passive, client}];
            if (failed > 0)
                std::fprintf(stderr,
                             "ftp_bench: %s failed %d of %d publish runs on that line\n",
                             client.c_str(),
                             failed,
                             publishRounds);
        }
    }
    std::vector<double> plans;
    for (int i = 0; i < publishRounds; ++i) {
        if (const std::optional<double> seconds = timeOursPublish(server, true, local, PublishPart::Plan))
            plans.push_back(*seconds);
    }
    const double plan = median(plans);
    std::printf("ftp_bench %s plan-unchanged1000 passive ours_s=%.3f goal_s=1 ratio=%.3f\n",
                server.name.c_str(),
                plan,
                plan > 0 ? 1.0 / plan : 0.0);
    std::fflush(stdout);
}

// The latency lines: the publish lines again through a delay proxy of 10 ms each way (a round
// trip of 20 ms, latencyOneWay), for plain FTP and FTPS.
// Passive ports the server takes and the proxy forwards: below the ephemeral range, so that no
// client's outgoing connection holds one of them.
constexpr int latencyPassivePorts = 64;
constexpr std::uint16_t lowestPassivePort = 20000;
constexpr int firstPublishRounds = 3;
constexpr int latencyRounds = 5;
constexpr auto idleLimit = std::chrono::seconds(10);
const std::array<const char *, 3> latencyClients{"ours", "lftp", "curl"};

bool portFree(const char *address, std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    ::inet_pton(AF_INET, address, &where.sin_addr);
    const bool free = ::bind(fd, reinterpret_cast<sockaddr *>(&where), sizeof where) == 0;
    ::close(fd);
    return free;
}

// The first of latencyPassivePorts ports free on the server's address and the proxy's.
std::optional<std::uint16_t> freePassiveRange()
{
    int ephemeralLow = 32768;
    std::ifstream("/proc/sys/net/ipv4/ip_local_port_range") >> ephemeralLow;
    for (int first = lowestPassivePort; first + latencyPassivePorts <= ephemeralLow; first += latencyPassivePorts) {
        bool free = true;
        for (int port = first; port < first + latencyPassivePorts && free; ++port) {
            free = portFree("127.0.0.1", static_cast<std::uint16_t>(port))
                && portFree(latencyAddress, static_cast<std::uint16_t>(port));
        }
        if (free)
            return static_cast<std::uint16_t>(first);
    }
    return std::nullopt;
}

// The commands vsftpd logged, in all and by their verb.
struct LoggedCommands
{
    int total = 0;
    std::map<std::string, int> byVerb;
};

// vsftpd logs each command as: … FTP command: Client "127.0.0.1", "STOR name". Counts those
// between the offsets from and to of the log.
LoggedCommands
commandsLogged(const fs::path &log, std::uintmax_t from, std::uintmax_t to = std::numeric_limits<std::uintmax_t>::max())
{
    std::ifstream file(log, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(from));
    LoggedCommands commands;
    const std::string mark = "FTP command: Client \"";
    std::uintmax_t at = from;
    for (std::string line; at < to && std::getline(file, line);) {
        at += line.size() + 1;
        const std::size_t found = line.find(mark);
        if (found == std::string::npos)
            continue;
        ++commands.total;
        const std::size_t verb = line.find(", \"", found + mark.size());
        if (verb == std::string::npos)
            continue;
        std::string name = line.substr(verb + 3, line.find_first_of(" \"", verb + 3) - verb - 3);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
        ++commands.byVerb[name];
    }
    return commands;
}

std::uintmax_t logSize(const fs::path &log)
{
    std::error_code error;
    const std::uintmax_t size = fs::file_size(log, error);
    return error ? 0 : size;
}

std::string verbsText(const LoggedCommands &commands)
{
    std::vector<std::pair<int, std::string>> counted;
    for (const auto &[verb, count] : commands.byVerb)
        counted.emplace_back(count, verb);
    std::sort(counted.rbegin(), counted.rend());
    std::string text;
    for (const auto &[count, verb] : counted)
        text += (text.empty() ? "" : " ") + verb + "=" + std::to_string(count);
    return text;
}

// A server behind the delay proxy, with what counts its commands.
struct LatencyServer
{
    Server server; // as the clients see it: at the proxy's address
    fs::path log;
    std::unique_ptr<DelayProxy> proxy;
};

// What one run through the proxy took and what the server saw of it.
struct LatencyRun
{
    double seconds = 0;
    double startSeconds = 0; // from the process's start to its first connection; 0 for ours
    int proxyLines = 0;      // the command lines the proxy read, while they were plain text
    LoggedCommands logged;
    // Ours alone: the plan (from the start, so with the login), and what the server saw of it.
    double planSeconds = 0;
    LoggedCommands planLogged;
};

// The floor: curl given exactly the files to send, in one process (one connection, reused).
// Folders are made only when the publish is a first one: making them takes curl's CWD method (a
// CWD when the folder changes), while no-CWD sends each file with its path in one command.
std::vector<std::string> curlFloorCommand(const Server &server,
                                          const fs::path &local,
                                          const std::vector<fs::path> &pages,
                                          const std::string &remote,
                                          const fs::path &config,
                                          bool makeFolders)
{
    std::ofstream list(config, std::ios::trunc);
    for (const fs::path &page : pages) {
        list << "upload-file = \"" << (local / page).string() << "\"\n"
             << "url = \"ftp://" << server.host << ":" << server.port << "/" << remote << "/" << page.generic_string()
             << "\"\n";
    }
    list.close();
    std::vector<std::string> command{"curl", "-sS", "--user", server.user + ":" + server.password, "-K", config};
    // Over TLS 1.3 the session ticket comes after the handshake, and curl 7.88 sometimes opens a
    // data connection before it has read it; vsftpd then refuses the data connection for not
    // reusing the session (522). With TLS 1.2 the session is there when the handshake ends.
    if (!server.caFile.empty())
        command.insert(command.end(), {"--ssl-reqd", "--cacert", server.caFile, "--tls-max", "1.2"});
    if (makeFolders)
        command.insert(command.end(), {"--ftp-create-dirs", "--ftp-method", "singlecwd"});
    else
        command.insert(command.end(), {"--ftp-method", "nocwd"});
    return command;
}

// One publish by one client through the proxy. first: the whole site into an empty folder;
// else the 10 changed files into the folder the client published whole before. A run counts
// only when the proxy forwarded a data connection for every file at least: a client that took
// a passive address around the proxy would measure loopback.
std::optional<LatencyRun> timeLatencyPublish(
    LatencyServer &behind, const std::string &client, const fs::path &local, const std::string &remote, bool first)
{
    const Server &server = behind.server;
    DelayProxy &proxy = *behind.proxy;
    proxy.resetCounts();
    const std::uintmax_t logStart = logSize(behind.log);
    LatencyRun run;
    std::optional<double> seconds;
    Clock::time_point started{};
    if (client == "ours") {
        const Clock::time_point begun = Clock::now();
        std::uintmax_t planEnd = 0;
        seconds = timeOursPublish(server, true, local, PublishPart::Whole, remote, [&] {
            run.planSeconds = std::chrono::duration<double>(Clock::now() - begun).count();
            planEnd = logSize(behind.log);
        });
        if (seconds)
            run.planLogged = commandsLogged(behind.log, logStart, planEnd);
    } else if (client == "lftp") {
        seconds = timeRun(lftpPublishCommand(server, true, local, remote, first ? Mirror::Whole : Mirror::OnlyNewer),
                          &started);
    } else {
        const fs::path config = behind.log.parent_path() / "curl-floor.conf";
        seconds = timeRun(curlFloorCommand(server, local, first ? allPages() : changedPages(), remote, config, first),
                          &started);
    }
    if (!proxy.waitUntilIdle(idleLimit))
        std::cerr << "ftp_bench: a connection of " << client << " stayed open\n";
    const DelayProxy::Counts counts = proxy.counts();
    if (!seconds)
        return std::nullopt;
    const int files = first ? treeFiles : publishChanged;
    if (counts.dataConnections < files) {
        std::cerr << "ftp_bench: " << client << " sent " << files << " files over " << counts.dataConnections
                  << " data connections through the proxy\n";
        return std::nullopt;
    }
    run.seconds = *seconds;
    if (client != "ours" && counts.firstControlConnection)
        run.startSeconds = std::chrono::duration<double>(*counts.firstControlConnection - started).count();
    run.proxyLines = counts.commandLines;
    run.logged = commandsLogged(behind.log, logStart);
    return run;
}

// Every run of one client on one latency line.
struct ClientRuns
{
    std::vector<double> seconds;
    std::vector<double> withoutStart; // each run's seconds less its process start-up
    std::vector<double> starts;
    std::vector<double> proxyLines;
    std::vector<double> logged;
    std::vector<double> planSeconds;
    std::vector<double> planLogged;
    LatencyRun last;
    int failed = 0;
};

void record(ClientRuns &runs, const std::optional<LatencyRun> &run)
{
    if (!run) {
        ++runs.failed;
        return;
    }
    runs.seconds.push_back(run->seconds);
    runs.withoutStart.push_back(run->seconds - run->startSeconds);
    runs.starts.push_back(run->startSeconds);
    runs.proxyLines.push_back(run->proxyLines);
    runs.logged.push_back(run->logged.total);
    runs.planSeconds.push_back(run->planSeconds);
    runs.planLogged.push_back(run->planLogged.total);
    runs.last = *run;
}

LoggedCommands minus(const LoggedCommands &all, const LoggedCommands &part)
{
    LoggedCommands rest = all;
    rest.total -= part.total;
    for (const auto &[verb, count] : part.byVerb) {
        if ((rest.byVerb[verb] -= count) == 0)
            rest.byVerb.erase(verb);
    }
    return rest;
}

// One latency line, and for ours the plan's share of it.
void printLatencyLine(const Server &server, const char *line, std::map<std::string, ClientRuns> &runs, int rounds)
{
    const ClientRuns &ours = runs["ours"];
    const ClientRuns &lftp = runs["lftp"];
    const ClientRuns &curl = runs["curl"];
    const double oursSeconds = median(ours.seconds);
    // The server's count: the lines the proxy read while they were plain text; over TLS, vsftpd's
    // log of the commands.
    const double commands = server.caFile.empty() ? median(ours.proxyLines) : median(ours.logged);
    std::printf("ftp_bench %s %s passive ours_s=%.3f best_peer_s=%.3f peer=lftp ratio=%.3f floor_s=%.3f commands=%.0f "
                "peer_start_s=%.3f ratio_nostart=%.3f floor_start_s=%.3f floor_ratio=%.3f floor_ratio_nostart=%.3f "
                "peer_commands=%.0f floor_commands=%.0f\n",
                server.name.c_str(),
                line,
                oursSeconds,
                median(lftp.seconds),
                ratioOf(median(lftp.seconds), oursSeconds),
                median(curl.seconds),
                commands,
                median(lftp.starts),
                ratioOf(median(lftp.withoutStart), oursSeconds),
                median(curl.starts),
                ratioOf(median(curl.seconds), oursSeconds),
                ratioOf(median(curl.withoutStart), oursSeconds),
                median(lftp.logged),
                median(curl.logged));
    const double plan = median(ours.planSeconds);
    std::printf("ftp_bench %s %s-phases passive plan_s=%.3f plan_commands=%.0f publish_s=%.3f publish_commands=%.0f\n",
                server.name.c_str(),
                line,
                plan,
                median(ours.planLogged),
                oursSeconds - plan,
                median(ours.logged) - median(ours.planLogged));
    std::fflush(stdout);
    if (server.caFile.empty() && !ours.seconds.empty() && ours.last.proxyLines != ours.last.logged.total)
        std::cerr << "ftp_bench: the proxy read " << ours.last.proxyLines << " command lines, vsftpd logged "
                  << ours.last.logged.total << "\n";
    if (!ours.seconds.empty()) {
        std::cerr << "ftp_bench: " << line << " ours' plan sent " << verbsText(ours.last.planLogged) << "\n";
        std::cerr << "ftp_bench: " << line << " ours' publish sent "
                  << verbsText(minus(ours.last.logged, ours.last.planLogged)) << "\n";
    }
    for (const char *client : latencyClients) {
        const ClientRuns &clientRuns = runs[client];
        if (std::string(client) != "ours" && !clientRuns.seconds.empty())
            std::cerr << "ftp_bench: " << line << " " << client << " sent " << verbsText(clientRuns.last.logged)
                      << "\n";
        if (clientRuns.failed > 0)
            std::cerr << "ftp_bench: " << client << " failed " << clientRuns.failed << " of " << rounds
                      << " runs on that line\n";
    }
}

// The clients in the order of one round: each round starts with another.
std::vector<std::string> latencyOrder(int round)
{
    std::vector<std::string> order;
    for (std::size_t turn = 0; turn < latencyClients.size(); ++turn)
        order.push_back(latencyClients[(turn + static_cast<std::size_t>(round)) % latencyClients.size()]);
    return order;
}

// A first publish of the 1,000 files by each client into an empty folder of its own, then
// 更新分を公開 of 10 changed files into the folder of each client's first round.
void runLatencyPublishes(LatencyServer &behind, const fs::path &local)
{
    const fs::path uploads = behind.server.uploadDir;
    const auto folderOf = [](const std::string &client, int round) {
        return round == 0 ? "pub-" + client : "first-" + std::to_string(round) + "-" + client;
    };
    std::map<std::string, ClientRuns> first;
    const int firstRounds = roundsFromEnvironment(firstPublishRounds);
    for (int round = 0; round < firstRounds; ++round) {
        std::cerr << "ftp_bench: " << behind.server.name << " first publish round " << round + 1 << " of "
                  << firstRounds << "\n";
        for (const std::string &client : latencyOrder(round)) {
            const fs::path target = uploads / folderOf(client, round);
            fs::create_directories(target);
            fs::permissions(target, fs::perms(0777));
            std::this_thread::sleep_for(treeRunPause);
            std::optional<LatencyRun> run =
                timeLatencyPublish(behind, client, local, "up/" + folderOf(client, round), true);
            if (run && countFiles(target) != static_cast<std::size_t>(treeFiles)) {
                std::cerr << "ftp_bench: " << client << "'s first publish left " << countFiles(target) << " files\n";
                run.reset();
            }
            record(first[client], run);
        }
    }
    printLatencyLine(behind.server, "publish1000-rtt20", first, firstRounds);

    std::map<std::string, ClientRuns> changed;
    const int changedRounds = roundsFromEnvironment(latencyRounds);
    for (int round = 1; round <= changedRounds; ++round) {
        std::cerr << "ftp_bench: " << behind.server.name << " publish10of1000 round " << round << " of "
                  << changedRounds << "\n";
        // A second later than the last publish: lftp compares times to the second.
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        for (const fs::path &page : changedPages())
            std::ofstream(local / page, std::ios::binary | std::ios::trunc) << roundContent(round);
        for (const std::string &client : latencyOrder(round)) {
            std::this_thread::sleep_for(treeRunPause);
            std::optional<LatencyRun> run = timeLatencyPublish(behind, client, local, "up/pub-" + client, false);
            if (run && !holdsRound(uploads / ("pub-" + client), round)) {
                std::cerr << "ftp_bench: " << client << "'s publish did not send the 10 changes\n";
                run.reset();
            }
            record(changed[client], run);
        }
    }
    printLatencyLine(behind.server, "publish10of1000-rtt20", changed, changedRounds);
}

// The latency lines of one protocol, against a vsftpd of their own behind the proxy.
int runLatencyLines(const fs::path &work, bool tls)
{
    const fs::path folder = work / (tls ? "latency-ftps" : "latency-ftp");
    fs::create_directories(folder);
    const std::optional<std::uint16_t> firstPort = freePassiveRange();
    if (!firstPort) {
        std::cerr << "ftp_bench: no free range of passive ports for the latency lines\n";
        return 1;
    }
    const PassiveRoute route{latencyAddress, *firstPort, latencyPassivePorts};
    const std::optional<Server> server = startVsftpd(folder, tls, &route);
    if (!server) {
        std::cerr << "ftp_bench: the latency lines need root and vsftpd\n";
        return 1;
    }
    LatencyServer behind{*server,
                         folder / "vsftpd.log",
                         std::make_unique<DelayProxy>(latencyAddress,
                                                      "127.0.0.1",
                                                      server->port,
                                                      *firstPort,
                                                      latencyPassivePorts,
                                                      std::chrono::microseconds(latencyOneWay))};
    behind.server.host = latencyAddress;
    if (!behind.proxy->start()) {
        std::cerr << "ftp_bench: the delay proxy could not listen on " << latencyAddress << "\n";
        stopServerGroup();
        return 1;
    }
    std::cerr << "ftp_bench: " << server->name << " on 127.0.0.1:" << server->port << " behind " << latencyAddress
              << " (" << latencyOneWay.count() << " ms each way), passive ports " << *firstPort << "-"
              << *firstPort + latencyPassivePorts - 1 << "\n";
    if (tls)
        ::setenv(caVariable, server->caFile.c_str(), 1);
    const fs::path local = folder / "site";
    writeTree(local);
    runLatencyPublishes(behind, local);
    ::unsetenv(caVariable);
    behind.proxy.reset();
    stopServerGroup();
    return 0;
}

enum class LatencyLines {
    Both,
    Ftp,
    Ftps,
};

int runLatency(const fs::path &work, LatencyLines which)
{
    // Our publishes' manifests go to a data folder of the run's own.
    const fs::path home = work / "latency-home";
    fs::create_directories(home);
    ::setenv("QZWEB_HOME", home.c_str(), 1);
    int argc = 1;
    char name[] = "ftp_bench";
    char *argv[] = {name, nullptr};
    const QCoreApplication application(argc, argv); // finds the data folder
    int status = 0;
    if (which != LatencyLines::Ftps)
        status = runLatencyLines(work, false);
    if (status == 0 && which != LatencyLines::Ftp)
        status = runLatencyLines(work, true);
    return status;
}

constexpr int listedFiles = 10000;
constexpr int bigListedFiles = 100000;
constexpr int bigListingRounds = 3;
constexpr double stallGoalMs = 100;
constexpr double bytesPerEntryGoal = 1024;
// After the job ends the view still lays out and paints its rows: that is part of showing.
constexpr int settleMs = 300;

void waitUntilIdle(const TransferWindow &window)
{
    while (window.isBusy())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void settle()
{
    QEventLoop loop;
    QTimer::singleShot(settleMs, &loop, &QEventLoop::quit);
    loop.exec();
}

int rowsShown(const TransferWindow &window)
{
    return window.findChild<QTreeView *>("ListView1")->model()->rowCount();
}

// The process's resident memory in bytes.
double residentBytes()
{
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

void makeListedFolder(const fs::path &folder, int files)
{
    fs::create_directories(folder);
    for (int i = 0; i < files; ++i)
        std::ofstream(folder / ("page" + std::to_string(100000 + i) + ".html")) << "<p>" << i << "</p>";
    fs::permissions(folder, fs::perms(0755));
}

struct BigListing
{
    double stallMs = 0;       // the longest stall of connecting and every refresh
    double bytesPerEntry = 0; // resident memory the listing added, per entry
    bool complete = false;
};

// Connects into a folder of 100,000 entries and refreshes it a few times, with the window
// shown, watching the event loop and the memory. Runs first, so the memory it measures is its
// own and not what an earlier listing left to the allocator.
BigListing measureBigListing(TransferWindow &window)
{
    BigListing result;
    bench::StallMeter meter;
    window.findChild<QLabel *>("Label5")->setText(QStringLiteral("/list100k"));
    settle();
    const double before = residentBytes();
    meter.start();
    window.findChild<QAbstractButton *>("Button1")->click();
    waitUntilIdle(window);
    settle();
    result.stallMs = meter.stopMs();
    result.bytesPerEntry = (residentBytes() - before) / bigListedFiles;
    result.complete = rowsShown(window) == bigListedFiles;
    for (int round = 0; round < bigListingRounds && result.complete; ++round) {
        meter.start();
        window.remotePane().refresh();
        waitUntilIdle(window);
        settle();
        result.stallMs = std::max(result.stallMs, meter.stopMs());
        result.complete = rowsShown(window) == bigListedFiles;
    }
    if (!result.complete)
        std::cerr << "ftp_bench: the window listed " << rowsShown(window) << " of " << bigListedFiles << " files\n";
    window.findChild<QAbstractButton *>("Button2")->click();
    waitUntilIdle(window);
    return result;
}

// Answers the window's questions as a user who publishes to this plain-FTP server would: connect
// without encryption, and do not ask again. Anything else it asks or reports ends up in the
// bench's error output and is answered with its escape, so the run ends instead of waiting.
class BenchDialogs final : public UserDialogs
{
public:
    DialogButton message(QWidget *, const MessageBoxRequest &request) override
    {
        std::cerr << "ftp_bench: the window said: " << request.text.toStdString() << "\n";
        return request.buttons.contains(DialogButton::Cancel) ? DialogButton::Cancel : request.buttons.value(0);
    }
    ChoiceAnswer choose(QWidget *, const ChoiceRequest &request) override
    {
        const int connect = static_cast<int>(request.choices.indexOf(QStringLiteral("接続")));
        if (connect >= 0)
            return {connect, true};
        std::cerr << "ftp_bench: the window asked: " << request.text.toStdString() << "\n";
        return {request.escapeChoice, false};
    }
    std::optional<QString> inputText(QWidget *, const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    std::optional<QString> chooseFile(QWidget *, const FileDialogRequest &) override { return std::nullopt; }
    std::optional<FontChoice> chooseFont(QWidget *, const FontChoice &) override { return std::nullopt; }
    int exec(QDialog *) override { return 0; }
};

// Picks the entry of one of the window's setting boxes by its caption.
void chooseSetting(const TransferWindow &window, const char *box, const QString &caption)
{
    auto *settingBox = window.findChild<QComboBox *>(box);
    settingBox->setCurrentIndex(settingBox->findText(caption));
}

// The listing lines, through the transfer window itself.
void runListing(const Server &server)
{
    makeListedFolder(server.root / "list10k", listedFiles);
    makeListedFolder(server.root / "list100k", bigListedFiles);

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "ftp_bench";
    char *argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QTemporaryDir home; // a book of its own, never the user's
    qputenv("QZWEB_HOME", home.path().toLocal8Bit());
    BenchDialogs dialogs;
    TransferWindow window(dialogs);
    window.show();
    // The server speaks plain FTP, and the peer lists in active mode.
    chooseSetting(window, "SecurityComboBox", QStringLiteral("FTP — 暗号化なし"));
    chooseSetting(window, "DataModeComboBox", QStringLiteral("アクティブ"));
    window.findChild<QLineEdit *>("Edit2")->setText(QStringLiteral("127.0.0.1:%1").arg(server.port));
    window.findChild<QLineEdit *>("Edit3")->setText(QString::fromStdString(server.user));
    window.findChild<QLineEdit *>("Edit4")->setText(QString::fromStdString(server.password));
    const BigListing big = measureBigListing(window);

    window.findChild<QLabel *>("Label5")->setText(QStringLiteral("/list10k"));
    window.findChild<QAbstractButton *>("Button1")->click();
    waitUntilIdle(window);
    if (rowsShown(window) != listedFiles) {
        std::cerr << "ftp_bench: the window listed " << rowsShown(window) << " of " << listedFiles << " files\n";
        return;
    }
    const std::vector<std::string> curl{"curl",
                                        "-sS",
                                        "--user",
                                        server.user + ":" + server.password,
                                        "--ftp-port",
                                        "127.0.0.1",
                                        "ftp://127.0.0.1:" + std::to_string(server.port) + "/list10k/"};
    std::vector<double> ours;
    std::vector<double> peer;
    int failed = 0;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        window.remotePane().refresh();
        waitUntilIdle(window);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (rowsShown(window) == listedFiles)
            ours.push_back(seconds);
        else
            ++failed;
        if (const std::optional<double> curlSeconds = timeRun(curl))
            peer.push_back(*curlSeconds);
    }
    const double oursMedian = median(ours);
    const double peerMedian = median(peer);
    std::printf("ftp_bench %s list10k active ours_s=%.3f best_peer_s=%.3f peer=curl ratio=%.3f\n",
                server.name.c_str(),
                oursMedian,
                peerMedian,
                oursMedian > 0 ? peerMedian / oursMedian : 0.0);
    if (failed > 0 || static_cast<int>(peer.size()) < rounds)
        std::fprintf(stderr,
                     "ftp_bench: listing failed %d (ours) and %d (curl) of %d runs\n",
                     failed,
                     rounds - static_cast<int>(peer.size()),
                     rounds);
    if (!big.complete)
        return;
    std::printf("ftp_bench %s list100k-stall active ours_ms=%.1f goal_ms=%.0f ratio=%.3f\n",
                server.name.c_str(),
                big.stallMs,
                stallGoalMs,
                big.stallMs > 0 ? stallGoalMs / big.stallMs : 0.0);
    std::printf("ftp_bench %s list100k-memory active ours_bytes_per_entry=%.0f goal_bytes_per_entry=%.0f ratio=%.3f\n",
                server.name.c_str(),
                big.bytesPerEntry,
                bytesPerEntryGoal,
                big.bytesPerEntry > 0 ? bytesPerEntryGoal / big.bytesPerEntry : 0.0);
}

// The 256 MiB lines: upload and download in both modes, the clients interleaved round by round.
void runFileLines(const Server &server, const fs::path &work)
{
    std::cerr << "ftp_bench: " << server.name << " on 127.0.0.1:" << server.port << ", preparing 256 MiB\n";
    const fs::path source = work / "source.bin";
    if (!fs::exists(source))
        writeRandomFile(source);
    fs::copy_file(source, server.root / "download.bin", fs::copy_options::overwrite_existing);
    fs::permissions(server.root / "download.bin", fs::perms(0644));

    const std::array<Line, 4> lines{
        Line{Op::Upload, false}, Line{Op::Upload, true}, Line{Op::Download, false}, Line{Op::Download, true}};
    std::map<std::pair<int, std::string>, std::vector<double>> speeds;
    std::map<std::pair<int, std::string>, int> failures;
    for (int round = 0; round < fileRounds; ++round) {
        std::cerr << "ftp_bench: round " << round + 1 << " of " << fileRounds << "\n";
        for (std::size_t index = 0; index < lines.size(); ++index) {
            const Line &line = lines[index];
            // Each round starts the line with another client: the one right after the previous
            // line's transfers shares the machine with the server's clean-up of them.
            for (std::size_t turn = 0; turn < clientNames.size(); ++turn) {
                const std::string client = clientNames[(turn + static_cast<std::size_t>(round)) % clientNames.size()];
                if (client == "curl" && !line.passive && !server.caFile.empty())
                    continue; // see curlTlsOptions
                const std::string remoteName = "up/" + client + ".bin";
                const fs::path local = line.op == Op::Upload ? source : work / ("down-" + client + ".bin");
                const fs::path written = line.op == Op::Upload ? server.root / remoteName : local;
                fs::remove(written);
                ::sync();
                const std::string remote = line.op == Op::Upload ? remoteName : "download.bin";
                const std::optional<double> seconds = client == "ours"
                    ? timeOursTransfer(server, line, local, remote)
                    : timeRun(commandFor(client, server, line, local, remote));
                const bool complete = seconds && fs::exists(written) && fs::file_size(written) == fileSize;
                const auto key = std::make_pair(static_cast<int>(index), client);
                if (complete)
                    speeds[key].push_back(static_cast<double>(fileSize) / mebibyte / *seconds);
                else
                    ++failures[key];
                fs::remove(written);
            }
        }
    }
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const Line &line = lines[index];
        const double ours = median(speeds[{static_cast<int>(index), "ours"}]);
        const double curl = median(speeds[{static_cast<int>(index), "curl"}]);
        const double lftp = median(speeds[{static_cast<int>(index), "lftp"}]);
        const bool curlBest = curl >= lftp;
        const double best = std::max(curl, lftp);
        std::printf("ftp_bench %s %s %s ours_MBps=%.1f best_peer_MBps=%.1f peer=%s ratio=%.3f\n",
                    server.name.c_str(),
                    line.op == Op::Upload ? "upload" : "download",
                    line.passive ? "passive" : "active",
                    ours,
                    best,
                    curlBest ? "curl" : "lftp",
                    best > 0 ? ours / best : 0.0);
        for (const std::string client : clientNames) {
            const int failed = failures[{static_cast<int>(index), client}];
            if (failed > 0)
                std::fprintf(
                    stderr, "ftp_bench: %s failed %d of %d runs on that line\n", client.c_str(), failed, fileRounds);
        }
    }
    std::fflush(stdout);
}

enum class FtpsLines {
    All,
    Files,
    Tree,
};

// The FTPS lines, against a vsftpd of their own.
int runFtpsLines(const fs::path &work, FtpsLines which = FtpsLines::All)
{
    const fs::path folder = work / "ftps";
    fs::create_directories(folder);
    const std::optional<Server> server = startVsftpd(folder, true);
    if (!server) {
        std::cerr << "ftp_bench: the FTPS lines need root and vsftpd\n";
        return 1;
    }
    ::setenv(caVariable, server->caFile.c_str(), 1);
    if (which != FtpsLines::Tree)
        runFileLines(*server, work);
    if (which != FtpsLines::Files)
        runTreeLines(*server, folder);
    ::unsetenv(caVariable);
    stopServerGroup();
    return 0;
}

// The servers' folders and the clients' downloads go to memory when there is room for them: on a
// disk, its own flushing, which no client controls, moved single runs by a third.
fs::path workBase()
{
    const char *const memory = "/dev/shm";
    struct statfs space
    {};
    if (::statfs(memory, &space) == 0 && space.f_type == TMPFS_MAGIC
        && static_cast<std::uint64_t>(space.f_bavail) * static_cast<std::uint64_t>(space.f_bsize) >= workSpace)
        return memory;
    return fs::temp_directory_path();
}

int runBenchmark(const std::string &only)
{
    ::signal(SIGINT, onSignal);
    ::signal(SIGTERM, onSignal);
    std::string pattern = (workBase() / "qzweb-ftp-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::cerr << "ftp_bench: cannot create a temporary folder\n";
        return 1;
    }
    const fs::path work = pattern;
    std::strncpy(g_workFolder, pattern.c_str(), sizeof g_workFolder - 1);
    if (only == "sftp" || only == "sftp-transfers" || only == "latency-sftp") {
        const int status = runSftpLines(work,
                                        only == "sftp"               ? SftpLines::All
                                            : only == "latency-sftp" ? SftpLines::Latency
                                                                     : SftpLines::Transfers);
        fs::remove_all(work);
        return status;
    }
    std::optional<Server> server = startVsftpd(work);
    if (!server)
        server = startPyftpdlib(work);
    if (!server) {
        std::cerr << "ftp_bench: could not start vsftpd or pyftpdlib\n";
        fs::remove_all(work);
        return 1;
    }
    if (only == "latency" || only == "latency-ftp" || only == "latency-ftps") {
        stopServerGroup();
        const int status = runLatency(work,
                                      only == "latency-ftp"        ? LatencyLines::Ftp
                                          : only == "latency-ftps" ? LatencyLines::Ftps
                                                                   : LatencyLines::Both);
        if (status == 0 && only == "latency")
            runSftpLines(work, SftpLines::Latency);
        fs::remove_all(work);
        return status;
    }
    if (only == "ftps" || only == "ftps-files" || only == "ftps-tree") {
        stopServerGroup();
        const int status = runFtpsLines(work,
                                        only == "ftps-files"      ? FtpsLines::Files
                                            : only == "ftps-tree" ? FtpsLines::Tree
                                                                  : FtpsLines::All);
        fs::remove_all(work);
        return status;
    }
    // The plain parts in the order of a full run; a run names one of them or takes them all.
    const std::array<std::pair<const char *, std::function<void()>>, 4> parts{{
        {"files", [&] { runFileLines(*server, work); }},
        {"tree", [&] { runTreeLines(*server, work); }},
        {"publish", [&] { runPublishLines(*server, work); }},
        {"list", [&] { runListing(*server); }},
    }};
    const bool onePart = std::any_of(parts.begin(), parts.end(), [&](const auto &part) { return only == part.first; });
    for (const auto &[name, run] : parts) {
        if (!onePart || only == name) {
            run();
            std::fflush(stdout);
        }
    }
    stopServerGroup();
    if (!onePart && ::geteuid() == 0) {
        runFtpsLines(work);
        runLatency(work, LatencyLines::Both);
        runSftpLines(work, SftpLines::All);
    }
    fs::remove_all(work);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 9 && std::string(argv[1]) == oursTreeFlag)
        return runOursTree(argv);
    return runBenchmark(argc == 2 ? std::string(argv[1]) : std::string());
}
