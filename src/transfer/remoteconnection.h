#pragma once

#include "transfer/ftp/ftpremotefiles.h"
#include "transfer/sftp/sftpremotefiles.h"

// The transfer window's connection to whichever server it was last told to connect to: FTP and
// FTPS, or SFTP, as the login's method says. Every call goes to that protocol's remote files;
// interrupt() reaches both, so a stop never misses the one at work.
class RemoteConnection final : public RemoteFiles
{
public:
    RemoteConnection() = default;

    void setOnConnected(std::function<void()> handler) override;
    void setOnLoggedIn(std::function<void()> handler) override;
    void setOnDisconnected(std::function<void()> handler) override;
    void setTimeLimits(const TransferTimeLimits &limits) override;

    // Ends a connection of the other protocol first.
    void connect(const RemoteLogin &login) override;
    bool isConnected() override { return m_active->isConnected(); }
    void quit() override { m_active->quit(); }
    void abort() override { m_active->abort(); }
    std::optional<ServerCertificate> serverCertificate() const override { return m_active->serverCertificate(); }

    std::string currentDir() override { return m_active->currentDir(); }
    void changeDir(const std::string &path) override { m_active->changeDir(path); }
    void changeDirUp() override { m_active->changeDirUp(); }

    RemoteItems list(const std::string &folder, const Progress &progress = {}, Skipped *skipped = nullptr) override
    {
        return m_active->list(folder, progress, skipped);
    }
    void startFullListings() override { m_active->startFullListings(); }
    void resumeFullListings() override { m_active->resumeFullListings(); }
    RemoteItems listFully(const std::string &folder) override { return m_active->listFully(folder); }
    bool fullListingsShowHiddenNames() const override { return m_active->fullListingsShowHiddenNames(); }
    std::optional<RemoteDate> exactTime(const std::string &path) override { return m_active->exactTime(path); }

    void retrieve(const std::string &remotePath,
                  const std::string &localPath,
                  bool overwrite,
                  std::optional<std::uint64_t> expectedSize = std::nullopt,
                  const Progress &progress = {}) override
    {
        m_active->retrieve(remotePath, localPath, overwrite, expectedSize, progress);
    }
    void store(const std::string &localPath, const std::string &remotePath, const Progress &progress = {}) override
    {
        m_active->store(localPath, remotePath, progress);
    }
    void rename(const std::string &oldPath, const std::string &newPath) override { m_active->rename(oldPath, newPath); }
    void makeDir(const std::string &path) override { m_active->makeDir(path); }
    void removeDir(const std::string &path) override { m_active->removeDir(path); }
    void remove(const std::string &path) override { m_active->remove(path); }
    void setPermissions(const std::string &path, int mode) override { m_active->setPermissions(path, mode); }

    std::unique_ptr<RemoteFiles> another() override { return m_active->another(); }

    void interrupt() override;
    void resetInterrupt() override;

private:
    FtpRemoteFiles m_ftp;
    SftpRemoteFiles m_sftp;
    RemoteFiles *m_active = &m_ftp; // the worker thread's alone
};
