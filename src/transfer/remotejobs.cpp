#include "transfer/remotejobs.h"

#include "common/cp932codec.h"
#include "transfer/ftp/ftperrortext.h"
#include "transfer/remoteerrors.h"

namespace RemoteJobs {

std::string bytes(const QByteArray &array)
{
    return std::string(array.constData(), static_cast<std::size_t>(array.size()));
}

void changeDirTo(RemoteFiles &files, const QString &folder)
{
    const QByteArray utf8 = folder.toUtf8();
    try {
        files.changeDir(bytes(utf8));
    } catch (const RemoteCancelled &) {
        throw;
    } catch (const std::exception &) {
        std::optional<Cp932Codec::Unencodable> failure;
        const QByteArray cp932 = Cp932Codec::encode(folder, {}, &failure);
        if (failure || cp932 == utf8 || !files.isConnected())
            throw;
        files.changeDir(bytes(cp932));
    }
}

ConnectOutcome connectAndList(RemoteFiles &files, const Login &login, const RemoteFiles::Progress &progress)
{
    ConnectOutcome outcome;
    try {
        files.connect(login);
        outcome.serverCertificate = files.serverCertificate();
        const std::string home = files.currentDir();
        outcome.homeDir = QByteArray(home.data(), static_cast<qsizetype>(home.size()));
        if (!login.folder.isEmpty())
            changeDirTo(files, login.folder);
    } catch (const RemoteCancelled &) {
        throw;
    } catch (const std::exception &error) {
        outcome.failure = ftpErrorText(error);
        if (const auto *untrusted = dynamic_cast<const RemoteUntrusted *>(&error))
            outcome.certificate = untrusted->certificate();
        if (const auto *refusal = dynamic_cast<const RemoteRefusal *>(&error))
            outcome.encryptionRequired = refusal->wantsEncryption();
    }
    if (files.isConnected())
        outcome.folder = readCurrentFolder(files, progress);
    return outcome;
}

RemoteFolder readCurrentFolder(RemoteFiles &files, const RemoteFiles::Progress &progress)
{
    RemoteFolder folder;
    const std::string path = files.currentDir();
    folder.path = QByteArray(path.data(), static_cast<qsizetype>(path.size()));
    folder.items = files.list({}, progress);
    return folder;
}

} // namespace RemoteJobs
