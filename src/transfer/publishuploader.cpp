#include "transfer/publishuploader.h"

#include "transfer/remoteerrors.h"
#include "transfer/remotenames.h"
#include "transfer/transferpaths.h"
#include "workspace/siteexclusions.h"

namespace {

constexpr int kSpecialBits = 07000;

QByteArray nameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

} // namespace

PublishUploader::PublishUploader(RemoteFiles &files, QByteArray remoteRoot, std::optional<int> newFileMode)
    : m_files(files), m_root(std::move(remoteRoot)), m_newFileMode(newFileMode)
{
    if (!m_root.endsWith('/'))
        m_root += '/';
}

std::string PublishUploader::path(const QByteArray &remote) const
{
    const QByteArray full = m_root + remote;
    return std::string(full.constData(), static_cast<std::size_t>(full.size()));
}

PublishUploader::Sent PublishUploader::send(const std::string &localPath,
                                            const QByteArray &remote,
                                            bool replacing,
                                            std::optional<int> oldMode,
                                            const RemoteFiles::Progress &progress)
{
    // Unknown until a listing showed what the server gives new files: set it to be sure.
    const bool modeToSet = oldMode && (!m_newFileMode || *m_newFileMode != *oldMode);
    const bool keepOldFile = oldMode && (*oldMode & kSpecialBits) != 0;
    if (keepOldFile || (modeToSet && m_modesRefused)) {
        m_files.store(localPath, path(remote), progress);
        (keepOldFile ? m_keptSpecialModes : m_keptModes) = true;
        return {!replacing, false};
    }
    if (m_dotNamesRefused || m_renamesRefused) {
        m_files.store(localPath, path(remote), progress);
        return {!replacing, false};
    }
    const std::string temporary =
        path(TransferPaths::parentPath(remote, '/') + SiteExclusions::temporaryName(nameOf(remote)));
    try {
        m_files.store(localPath, temporary, progress);
    } catch (const RemoteRefusal &refusal) {
        if (!m_files.isConnected() || !refusal.permanent())
            throw;
        // Refused before any byte moved. When the file's own name is taken, the name it was
        // refused was the temporary one, and the next file's would be too.
        const Sent sent = sendDirectly(localPath, remote, replacing, progress);
        m_dotNamesRefused = true;
        return sent;
    }
    if (modeToSet) {
        try {
            m_files.setPermissions(temporary, *oldMode);
        } catch (const RemoteRefusal &) {
            if (!m_files.isConnected())
                throw;
            m_modesRefused = true;
            removeTemporary(temporary);
            m_files.store(localPath, path(remote), progress);
            m_keptModes = true;
            return {!replacing, false};
        }
    }
    try {
        m_files.rename(temporary, path(remote));
        return {true, modeToSet};
    } catch (const RemoteRefusal &refusal) {
        if (!m_files.isConnected())
            throw;
        removeTemporary(temporary);
        const Sent sent = sendDirectly(localPath, remote, replacing, progress);
        if (refusal.unsupported())
            m_renamesRefused = true;
        else
            m_refusedRenames.append(RemoteNames::decode(remote));
        return sent;
    }
}

PublishUploader::Sent PublishUploader::sendDirectly(const std::string &localPath,
                                                    const QByteArray &remote,
                                                    bool replacing,
                                                    const RemoteFiles::Progress &progress)
{
    m_files.store(localPath, path(remote), progress);
    return {!replacing, false};
}

void PublishUploader::removeTemporary(const std::string &temporary)
{
    try {
        m_files.remove(temporary);
    } catch (const RemoteRefusal &) {
        // Left for the user to see in the list; the file itself still goes.
        if (!m_files.isConnected())
            throw;
    }
}

bool PublishUploader::setMode(const QByteArray &remote, int mode)
{
    if (m_modesRefused)
        return false;
    try {
        m_files.setPermissions(path(remote), mode);
        return true;
    } catch (const RemoteRefusal &) {
        if (!m_files.isConnected())
            throw;
        m_modesRefused = true;
        return false;
    }
}

QStringList PublishUploader::notes() const
{
    const QString direct =
        QStringLiteral("ファイルはそのままの名前で直接アップロードしました（送っている間は、途中までの"
                       "ファイルが見えることがあります）");
    QStringList notes;
    if (m_dotNamesRefused)
        notes.append(QStringLiteral("このサーバーは「.」で始まる名前のファイルを受け付けないため、ファイルを仮の名前で"
                                    "送ってから置き換えることができませんでした。")
                     + direct);
    if (m_renamesRefused)
        notes.append(
            QStringLiteral("このサーバーは名前の変更を受け付けないため、ファイルを仮の名前で送ってから置き換える"
                           "ことができませんでした。")
            + direct);
    if (!m_refusedRenames.isEmpty())
        notes.append(QStringLiteral("次のファイルは仮の名前から置き換えることを断られたため、そのままの名前で直接アップ"
                                    "ロードしました: %1")
                         .arg(m_refusedRenames.join(QStringLiteral("、"))));
    const QString modesKept = QStringLiteral("仮の名前を使わずに直接上書きしたので、元のパーミションのままです（送って"
                                             "いる間は、途中までのファイルが見えることがあります）");
    if (m_keptModes)
        notes.append(QStringLiteral("このサーバーはパーミションの変更（SITE CHMOD）を受け付けないため、新しく作ると"
                                    "パーミションが変わってしまうファイルは、")
                     + modesKept);
    if (m_keptSpecialModes)
        notes.append(QStringLiteral("特別なパーミション（setuid、setgid、スティッキー）の付いたファイルは、付け直せない"
                                    "ため、")
                     + modesKept);
    return notes;
}
