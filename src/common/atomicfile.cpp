#include "common/atomicfile.h"

#include "common/errortext.h"
#include "common/usererror.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace AtomicFile {

namespace {

QString withReason(const QString &text, int savedErrno)
{
    if (savedErrno == 0)
        return text;
    return text + QStringLiteral("\n") + systemErrorText(savedErrno);
}

} // namespace

void write(const QString &path, const QByteArray &bytes, QFileDevice::Permissions permissions)
{
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        const int saved = errno;
        throw UserError(withReason(QStringLiteral("ファイル %1 を作成できません").arg(path), saved));
    }
    const QFileInfo existing(path);
    QFileDevice::Permissions wanted = permissions;
    if (!wanted && existing.exists())
        wanted = existing.permissions();
    if (wanted)
        file.setPermissions(wanted);
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        const int saved = errno;
        file.cancelWriting();
        throw UserError(withReason(QStringLiteral("ストリームへの書き込みに失敗しました"), saved));
    }
}

} // namespace AtomicFile
