#pragma once

#include "transfer/recentlystored.h"
#include "transfer/remotefiles.h"
#include "transfer/remotelogin.h"
#include "transfer/sftp/sftpreplies.h"
#include "transfer/stopgroup.h"

#include <atomic>
#include <memory>
#include <mutex>

class QFile;
class QSaveFile;
class SftpPipeline;
struct ssh_session_struct;
struct sftp_session_struct;
struct sftp_file_struct;

// SFTP behind the remote-files interface, on libssh. Connecting and logging in run without
// blocking in a poll loop of its own beside an eventfd, so interrupt() ends them at once; the
// login tries the SSH agent, the key file, keyboard-interactive and the password, in that
// order, as far as the server offers them. The host key must be among the fingerprints the
// login accepted, else SftpHostKeyError carries it to the trust dialog. The file operations
// then block on the session's worker thread; interrupt() ends them by shutting the socket
// down, which costs the connection. SFTP has no current folder: this class keeps one, and
// gives relative paths from it. Uploads go to a temporary name beside the target and are
// renamed over it once complete, so a cut upload never sits under the real name; transfers keep
// many requests in flight (SftpPipeline).
class SftpRemoteFiles final : public RemoteFiles
{
public:
    SftpRemoteFiles();
    ~SftpRemoteFiles() override;

    void setOnConnected(std::function<void()> handler) override { m_onConnected = std::move(handler); }
    void setOnLoggedIn(std::function<void()> handler) override { m_onLoggedIn = std::move(handler); }
    void setOnDisconnected(std::function<void()> handler) override { m_onDisconnected = std::move(handler); }
    void setTimeLimits(const TransferTimeLimits &limits) override { m_limits = limits; }

    void connect(const RemoteLogin &login) override;
    bool isConnected() override;
    void quit() override;
    void abort() override {}
    std::optional<ServerCertificate> serverCertificate() const override { return m_hostKey; }

    std::string currentDir() override { return m_cwd; }
    void changeDir(const std::string &path) override;
    void changeDirUp() override;
    std::string resolveDir(const std::string &path) override { return folderAt(path); }

    RemoteItems list(const std::string &folder, const Progress &progress = {}, Skipped *skipped = nullptr) override;
    void startFullListings() override {}
    void resumeFullListings() override {}
    RemoteItems listFully(const std::string &folder) override { return list(folder); }
    // Every folder opened, read and closed with its requests in flight together.
    std::vector<std::optional<RemoteItems>> listFullySeveral(const std::vector<std::string> &folders) override;
    bool listsFullySeveralAtOnce() const override { return true; }
    bool fullListingsShowHiddenNames() const override { return true; }
    std::optional<RemoteDate> exactTime(const std::string &path) override;

    void retrieve(const std::string &remotePath,
                  const std::string &localPath,
                  bool overwrite,
                  std::optional<std::uint64_t> expectedSize = std::nullopt,
                  const Progress &progress = {}) override;
    void store(const std::string &localPath, const std::string &remotePath, const Progress &progress = {}) override;
    std::optional<RemoteItem> storedAs(const std::string &path) const override { return m_stored.find(resolve(path)); }
    void rename(const std::string &oldPath, const std::string &newPath) override;
    void makeDir(const std::string &path) override;
    void removeDir(const std::string &path) override;
    void remove(const std::string &path) override;
    void setPermissions(const std::string &path, int mode) override;

    // A second session as this one logged in, with the host key it trusted; a publish lists
    // and sends over several, as SFTP answers one request at a time per folder listed.
    std::unique_ptr<RemoteFiles> another() override;
    void connectAgain() override;

    // The first connection's stop reaches its others; another's, itself alone.
    void interrupt() override;
    void resetInterrupt() override;

    // Reads and writes in flight at once, and the size of each block: at a round trip of 20 ms
    // the bytes in flight set the pace, 2 MiB for 100 MiB/s (sshd's channel window is as big).
    static constexpr int readsInFlight = 32;
    static constexpr std::uint32_t readBlock = 64 * 1024;
    static constexpr int writesInFlight = 32;
    static constexpr std::size_t writeBlock = 64 * 1024;

private:
    // What the stop group reaches of a connection: its own wait, not the group again.
    struct Stopper
    {
        SftpRemoteFiles &files;
        void interrupt() { files.interruptThis(); }
    };
    using Stops = StopGroup<Stopper>;

    SftpRemoteFiles(RemoteLogin login, const TransferTimeLimits &limits, std::shared_ptr<Stops> stops);
    void interruptThis();
    // Calls step until it stops answering "again", polling the socket meanwhile; throws on
    // interruption and when limit runs out.
    template<typename Step>
    int awaitStep(Step step, int again, std::chrono::milliseconds limit);
    void login(const RemoteLogin &login);
    void checkHostKey(const RemoteLogin &login);
    void openSftp();
    // The canonical path of the folder at path; throws when it is none.
    std::string folderAt(const std::string &path);
    std::string resolve(const std::string &path) const;
    // Runs work (which returns what stopped it early, or nothing) on a pipeline, reads every
    // answer still owed, and throws what stopped it through giveUp, which closes the file and
    // removes what is left of the transfer.
    template<typename Work, typename GiveUp>
    void withPipeline(const std::string &full, Work work, GiveUp giveUp);
    // The folders' entries into listed (left empty where the server refused one).
    void readFolders(SftpPipeline &pipeline,
                     const std::vector<std::string> &folders,
                     std::vector<std::optional<RemoteItems>> &listed);
    // What throws the server's refusal of a request of the pipeline.
    std::function<void()> refusal(const SftpReplies::Answer &answer, const std::string &what, const std::string &full);
    // Sends in to temporary through the pipeline, with the mode of the file now called full when
    // keepOldMode; what stopped it early, or nothing. stored: the file as the server keeps it,
    // read just before its close, where the server told.
    std::function<void()> sendFile(SftpPipeline &pipeline,
                                   QFile &in,
                                   const std::string &localPath,
                                   const std::string &full,
                                   const std::string &temporary,
                                   bool keepOldMode,
                                   const Progress &progress,
                                   std::optional<RemoteItem> &stored);
    // Receives the file's blocks into out with several in flight; the bytes received.
    template<typename GiveUp>
    std::uint64_t readBlocks(sftp_file_struct *file,
                             QSaveFile &out,
                             const std::string &full,
                             std::uint64_t size,
                             const Progress &progress,
                             GiveUp giveUp);
    void dropConnection();
    [[noreturn]] void fail(const std::string &what, const std::string &path = {});
    [[noreturn]] void refuse(int code, const std::string &detail, const std::string &path);
    void requireConnected() const;
    void checkStop() const;
    void closeSession();

    TransferTimeLimits m_limits;
    RecentlyStored m_stored;
    std::function<void()> m_onConnected;
    std::function<void()> m_onLoggedIn;
    std::function<void()> m_onDisconnected;
    int m_wake = -1; // eventfd: readable while interrupted
    std::atomic<bool> m_interrupted{false};
    std::mutex m_socketMutex; // guards the socket's number between interrupt() and closing it
    int m_socket = -1;
    ssh_session_struct *m_session = nullptr;
    sftp_session_struct *m_sftp = nullptr;
    std::optional<ServerCertificate> m_hostKey;
    std::string m_cwd;
    std::string m_host;
    std::uint16_t m_port = 0;
    RemoteLogin m_login; // as the last connect() logged in
    Stopper m_stopper{*this};
    std::shared_ptr<Stops> m_stops;
    bool m_first = true; // not made by another()
};
