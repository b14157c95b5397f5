#include "transfer/publishlock.h"

#include "common/errortext.h"
#include "common/usererror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

PublishLock::PublishLock(const QString &manifestPath)
{
    const QString path = manifestPath + QStringLiteral(".lock");
    QDir().mkpath(QFileInfo(path).absolutePath());
    do {
        m_descriptor = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    } while (m_descriptor < 0 && errno == EINTR);
    if (m_descriptor < 0) {
        const int saved = errno;
        throw UserError(QStringLiteral("ファイル %1 を作成できません\n%2").arg(path, systemErrorText(saved)));
    }
    int locked = 0;
    do {
        locked = ::flock(m_descriptor, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int saved = errno;
        ::close(m_descriptor);
        m_descriptor = -1;
        if (saved == EWOULDBLOCK)
            throw UserError(busyText());
        throw UserError(QStringLiteral("ファイル %1 を作成できません\n%2").arg(path, systemErrorText(saved)));
    }
}

PublishLock::~PublishLock()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

QString PublishLock::busyText()
{
    return QStringLiteral("このサイトは別のウィンドウで公開中です。その公開が終わってから、もう一度「更新分を公開」を"
                          "押してください");
}
