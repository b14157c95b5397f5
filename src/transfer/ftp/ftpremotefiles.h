#pragma once

#include "transfer/ftp/ftpclient.h"
#include "transfer/ftp/ftppublishlisting.h"
#include "transfer/ftp/ftpstopgroup.h"
#include "transfer/remotefiles.h"

#include <memory>
#include <mutex>
#include <optional>

// FTP and FTPS behind the remote-files interface: each call goes to an FtpClient as it is,
// listings are parsed (LIST for the window; MLSD, LIST -a or LIST for a publish, as
// FtpPublishListing settles), permissions go as SITE CHMOD. The client's own errors pass
// through unchanged; they carry the interface's marks (remoteerrors.h).
class FtpRemoteFiles final : public RemoteFiles
{
public:
    // With a client of its own.
    FtpRemoteFiles();
    // Over a client its caller drives too (a benchmark, a test), which must outlive this.
    explicit FtpRemoteFiles(FtpClient &client);
    ~FtpRemoteFiles() override;

    FtpClient &client() { return m_client; }

    void setOnConnected(std::function<void()> handler) override;
    void setOnLoggedIn(std::function<void()> handler) override;
    void setOnDisconnected(std::function<void()> handler) override;
    void setTimeLimits(const TransferTimeLimits &limits) override;

    void connect(const RemoteLogin &login) override;
    bool isConnected() override;
    void quit() override;
    void abort() override;
    std::optional<ServerCertificate> serverCertificate() const override;

    std::string currentDir() override;
    void changeDir(const std::string &path) override;
    void changeDirUp() override;
    std::string resolveDir(const std::string &path) override;

    RemoteItems list(const std::string &folder, const Progress &progress = {}, Skipped *skipped = nullptr) override;
    void startFullListings() override;
    void resumeFullListings() override;
    RemoteItems listFully(const std::string &folder) override;
    std::vector<std::optional<RemoteItems>> listFullySeveral(const std::vector<std::string> &folders) override;
    bool listsFullySeveralAtOnce() const override;
    bool mayListFullySeveralAtOnce() const override;
    bool fullListingsShowHiddenNames() const override;
    std::optional<RemoteDate> exactTime(const std::string &path) override;

    void retrieve(const std::string &remotePath,
                  const std::string &localPath,
                  bool overwrite,
                  std::optional<std::uint64_t> expectedSize = std::nullopt,
                  const Progress &progress = {}) override;
    void store(const std::string &localPath, const std::string &remotePath, const Progress &progress = {}) override;
    void rename(const std::string &oldPath, const std::string &newPath) override;
    void makeDir(const std::string &path) override;
    void removeDir(const std::string &path) override;
    void remove(const std::string &path) override;
    void setPermissions(const std::string &path, int mode) override;

    // A client of its own with this one's settings and certificate; its full listings go on the
    // way this one's went by the time it resumes them. None where data connections are active.
    std::unique_ptr<RemoteFiles> another() override;
    void connectAgain() override;

    // The first connection's stop reaches its others; another's, itself alone.
    void interrupt() override;
    void resetInterrupt() override;

private:
    // How the first connection reads full listings, for its others to read them so too: they
    // may log in before it settled that.
    struct SharedWay
    {
        std::mutex mutex;
        std::optional<FtpPublishListing::Way> way;
    };

    FtpRemoteFiles(const FtpSettings &settings, std::shared_ptr<SharedWay> way, std::shared_ptr<FtpStopGroup> stops);
    FtpPublishListing &fullListing();
    void keepWay();

    std::unique_ptr<FtpClient> m_owned;
    FtpClient &m_client;
    // How this plan's full listings are read; kept for the publish that follows it.
    std::optional<FtpPublishListing::Way> m_way;
    std::unique_ptr<FtpPublishListing> m_listing;
    std::shared_ptr<SharedWay> m_sharedWay;
    std::shared_ptr<FtpStopGroup> m_stops; // this client's, and those of its others
    bool m_first = true;                   // not made by another()
};
