#include "transfer/remotejobs.h"

#include "common/cp932codec.h"
#include "transfer/ftp/ftpcancellederror.h"
#include "transfer/ftp/ftperror.h"
#include "transfer/ftperrortext.h"
#include "transfer/remotelistingparser.h"

namespace RemoteJobs {

std::string bytes(const QByteArray &array)
{
    return std::string(array.constData(), static_cast<std::size_t>(array.size()));
}

void changeDirTo(FtpClient &client, const QString &folder)
{
    const QByteArray utf8 = folder.toUtf8();
    try {
        client.changeDir(bytes(utf8));
    } catch (const FtpCancelledError &) {
        throw;
    } catch (const FtpError &) {
        std::optional<Cp932Codec::Unencodable> failure;
        const QByteArray cp932 = Cp932Codec::encode(folder, {}, &failure);
        if (failure || cp932 == utf8 || !client.isConnected())
            throw;
        client.changeDir(bytes(cp932));
    }
}

ConnectOutcome connectAndList(FtpClient &client, const Login &login, const FtpClient::Progress &progress)
{
    FtpSettings &settings = client.settings();
    settings.host = bytes(login.host.toUtf8());
    settings.port = login.port;
    settings.user = bytes(login.user.toUtf8());
    settings.password = bytes(login.password.toUtf8());
    settings.security = login.security;
    settings.dataMode = login.dataMode;
    settings.acceptedCertificates.clear();
    for (const QString &fingerprint : login.acceptedCertificates)
        settings.acceptedCertificates.push_back(fingerprint.toStdString());
    ConnectOutcome outcome;
    try {
        client.connect();
        outcome.serverCertificate = client.serverCertificate();
        const std::string home = client.currentDir();
        outcome.homeDir = QByteArray(home.data(), static_cast<qsizetype>(home.size()));
        if (!login.folder.isEmpty())
            changeDirTo(client, login.folder);
    } catch (const FtpCancelledError &) {
        throw;
    } catch (const FtpCertificateError &error) {
        outcome.failure = ftpErrorText(error);
        outcome.certificate = error.certificate();
    } catch (const FtpError &error) {
        outcome.failure = ftpErrorText(error);
        outcome.encryptionRequired = error.fault() == FtpFault::EncryptionRequired;
    } catch (const std::exception &error) {
        outcome.failure = ftpErrorText(error);
    }
    if (client.isConnected())
        outcome.folder = readCurrentFolder(client, progress);
    return outcome;
}

RemoteFolder readCurrentFolder(FtpClient &client, const FtpClient::Progress &progress)
{
    RemoteFolder folder;
    const std::string path = client.currentDir();
    folder.path = QByteArray(path.data(), static_cast<qsizetype>(path.size()));
    folder.items = RemoteListingParser::parse(client.list({}, progress));
    return folder;
}

} // namespace RemoteJobs
