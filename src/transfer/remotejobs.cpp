#include "transfer/remotejobs.h"

#include "common/cp932codec.h"
#include "transfer/ftp/ftperrortext.h"
#include "transfer/remoteerrors.h"

namespace RemoteJobs {

std::string bytes(const QByteArray &array)
{
    return std::string(array.constData(), static_cast<std::size_t>(array.size()));
}

namespace {

void withFolderBytes(RemoteFiles &files, const QString &folder, const std::function<void(const std::string &)> &use)
{
    const QByteArray utf8 = folder.toUtf8();
    try {
        use(bytes(utf8));
    } catch (const RemoteCancelled &) {
        throw;
    } catch (const std::exception &) {
        std::optional<Cp932Codec::Unencodable> failure;
        const QByteArray cp932 = Cp932Codec::encode(folder, {}, &failure);
        if (failure || cp932 == utf8 || !files.isConnected())
            throw;
        use(bytes(cp932));
    }
}

} // namespace

void changeDirTo(RemoteFiles &files, const QString &folder)
{
    withFolderBytes(files, folder, [&files](const std::string &name) { files.changeDir(name); });
}

std::string resolveDir(RemoteFiles &files, const QString &folder)
{
    std::string resolved;
    withFolderBytes(files, folder, [&](const std::string &name) { resolved = files.resolveDir(name); });
    return resolved;
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
