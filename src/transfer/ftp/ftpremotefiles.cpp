#include "transfer/ftp/ftpremotefiles.h"

#include "transfer/permissionbits.h"
#include "transfer/remotelistingparser.h"

namespace {

std::string bytes(const QString &text)
{
    return text.toUtf8().toStdString();
}

} // namespace

FtpRemoteFiles::FtpRemoteFiles()
    : m_owned(std::make_unique<FtpClient>()), m_client(*m_owned), m_sharedWay(std::make_shared<SharedWay>()),
      m_stops(std::make_shared<FtpStopGroup>())
{
    m_stops->add(m_client);
}

FtpRemoteFiles::FtpRemoteFiles(FtpClient &client)
    : m_client(client), m_sharedWay(std::make_shared<SharedWay>()), m_stops(std::make_shared<FtpStopGroup>())
{
    m_stops->add(m_client);
}

FtpRemoteFiles::FtpRemoteFiles(const FtpSettings &settings,
                               std::shared_ptr<SharedWay> way,
                               std::shared_ptr<FtpStopGroup> stops)
    : m_owned(std::make_unique<FtpClient>()), m_client(*m_owned), m_sharedWay(std::move(way)),
      m_stops(std::move(stops)), m_first(false)
{
    m_client.settings() = settings;
    m_stops->add(m_client);
}

FtpRemoteFiles::~FtpRemoteFiles()
{
    m_stops->remove(m_client);
}

std::unique_ptr<RemoteFiles> FtpRemoteFiles::another()
{
    // In active mode the server connects back for every transfer, which a home router lets in
    // for the one connection at best; and a second one in that mode was seen to wait for the
    // server's answer to PORT until its time ran out (pyftpdlib).
    if (m_client.settings().dataMode == FtpDataMode::Active)
        return nullptr;
    FtpSettings settings = m_client.settings();
    settings.askSystem = false;
    settings.knownLogin = m_client.loginWay();
    // The same server, by the certificate this connection stands on: passed, or accepted.
    if (const std::optional<FtpCertificate> &certificate = m_client.serverCertificate())
        settings.acceptedCertificates.push_back(certificate->fingerprint);
    return std::unique_ptr<RemoteFiles>(new FtpRemoteFiles(settings, m_sharedWay, m_stops));
}

void FtpRemoteFiles::connectAgain()
{
    m_client.connect();
}

void FtpRemoteFiles::interrupt()
{
    if (m_first)
        m_stops->interrupt();
    else
        m_client.interrupt();
}

void FtpRemoteFiles::resetInterrupt()
{
    m_stops->clear();
    m_client.resetInterrupt();
}

void FtpRemoteFiles::setOnConnected(std::function<void()> handler)
{
    m_client.setOnConnected(std::move(handler));
}

void FtpRemoteFiles::setOnLoggedIn(std::function<void()> handler)
{
    m_client.setOnLoggedIn(std::move(handler));
}

void FtpRemoteFiles::setOnDisconnected(std::function<void()> handler)
{
    m_client.setOnDisconnected(std::move(handler));
}

void FtpRemoteFiles::setTimeLimits(const TransferTimeLimits &limits)
{
    m_client.settings().timeLimits = limits;
}

void FtpRemoteFiles::connect(const RemoteLogin &login)
{
    FtpSettings &settings = m_client.settings();
    settings.host = bytes(login.host);
    settings.port = login.port;
    settings.user = bytes(login.user);
    settings.password = bytes(login.password);
    settings.security = login.security == ConnectionMethod::Ftps ? FtpSecurity::ExplicitTls : FtpSecurity::Plain;
    settings.dataMode = login.dataMode;
    settings.acceptedCertificates.clear();
    for (const QString &fingerprint : login.acceptedCertificates)
        settings.acceptedCertificates.push_back(fingerprint.toStdString());
    m_client.connect();
}

bool FtpRemoteFiles::isConnected()
{
    return m_client.isConnected();
}

void FtpRemoteFiles::quit()
{
    m_client.quit();
}

void FtpRemoteFiles::abort()
{
    m_client.abort();
}

std::optional<ServerCertificate> FtpRemoteFiles::serverCertificate() const
{
    return m_client.serverCertificate();
}

std::string FtpRemoteFiles::currentDir()
{
    return m_client.currentDir();
}

void FtpRemoteFiles::changeDir(const std::string &path)
{
    m_client.changeDir(path);
}

std::string FtpRemoteFiles::resolveDir(const std::string &path)
{
    return m_client.resolveDir(path);
}

void FtpRemoteFiles::changeDirUp()
{
    m_client.changeDirUp();
}

RemoteItems FtpRemoteFiles::list(const std::string &folder, const Progress &progress, Skipped *skipped)
{
    FtpClient::SkippedLines overlong;
    const std::vector<std::string> lines = m_client.list(folder, progress, &overlong);
    if (skipped != nullptr)
        *skipped = {overlong.count, overlong.beginnings};
    return RemoteListingParser::parse(lines);
}

void FtpRemoteFiles::startFullListings()
{
    m_listing = std::make_unique<FtpPublishListing>(m_client);
    keepWay();
}

void FtpRemoteFiles::keepWay()
{
    m_way = m_listing->way();
    if (!m_first)
        return;
    const std::lock_guard lock(m_sharedWay->mutex);
    m_sharedWay->way = m_way;
}

void FtpRemoteFiles::resumeFullListings()
{
    if (!m_first) {
        const std::lock_guard lock(m_sharedWay->mutex);
        m_way = m_sharedWay->way;
    }
    if (!m_way) {
        startFullListings();
        return;
    }
    m_listing = std::make_unique<FtpPublishListing>(m_client, *m_way);
}

FtpPublishListing &FtpRemoteFiles::fullListing()
{
    if (!m_listing)
        startFullListings();
    return *m_listing;
}

RemoteItems FtpRemoteFiles::listFully(const std::string &folder)
{
    RemoteItems items = fullListing().list(folder);
    keepWay();
    return items;
}

std::vector<std::optional<RemoteItems>> FtpRemoteFiles::listFullySeveral(const std::vector<std::string> &folders)
{
    std::vector<std::optional<RemoteItems>> listed = fullListing().listSeveral(folders);
    keepWay();
    return listed;
}

bool FtpRemoteFiles::listsFullySeveralAtOnce() const
{
    return m_listing && m_listing->listsSeveralAtOnce();
}

bool FtpRemoteFiles::mayListFullySeveralAtOnce() const
{
    // Before the plan's first listing the way is the one this session found, if any.
    if (m_listing)
        return m_listing->mayListSeveralAtOnce();
    return !m_way || m_way->inReply != FtpPublishListing::Way::InReply::Refused;
}

bool FtpRemoteFiles::fullListingsShowHiddenNames() const
{
    return m_listing && m_listing->showsHiddenNames();
}

std::optional<RemoteDate> FtpRemoteFiles::exactTime(const std::string &path)
{
    return fullListing().modificationTime(path);
}

void FtpRemoteFiles::retrieve(const std::string &remotePath,
                              const std::string &localPath,
                              bool overwrite,
                              std::optional<std::uint64_t> expectedSize,
                              const Progress &progress)
{
    m_client.retrieve(remotePath, localPath, overwrite, expectedSize, progress);
}

void FtpRemoteFiles::store(const std::string &localPath, const std::string &remotePath, const Progress &progress)
{
    m_client.store(localPath, remotePath, progress);
}

void FtpRemoteFiles::rename(const std::string &oldPath, const std::string &newPath)
{
    m_client.rename(oldPath, newPath);
}

void FtpRemoteFiles::makeDir(const std::string &path)
{
    m_client.makeDir(path);
}

void FtpRemoteFiles::removeDir(const std::string &path)
{
    m_client.removeDir(path);
}

void FtpRemoteFiles::remove(const std::string &path)
{
    m_client.deleteFile(path);
}

void FtpRemoteFiles::setPermissions(const std::string &path, int mode)
{
    m_client.site("chmod " + PermissionBits::octal(mode).toStdString() + ' ' + path);
}
