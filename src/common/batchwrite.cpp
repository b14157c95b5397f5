#include "common/batchwrite.h"

#include "common/errortext.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BatchWrite {

namespace {

struct Temporary
{
    qsizetype file = 0; // index into the files
    QByteArray path;
    dev_t device = 0;
};

QString failure(const QString &path, int error)
{
    return QStringLiteral("%1: %2").arg(path, systemErrorText(error));
}

// A temporary file beside target holding bytes, with target's permission bits; errno on failure.
bool writeTemporary(const QByteArray &target, QByteArrayView bytes, const WriteBytes &writeBytes, Temporary *temporary)
{
    const qsizetype slash = target.lastIndexOf('/');
    QByteArray path = target.left(slash + 1) + kTemporaryMark + target.mid(slash + 1) + ".XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0)
        return false;
    struct stat existing = {};
    struct stat own = {};
    bool written = (::stat(target.constData(), &existing) != 0 || ::fchmod(fd, existing.st_mode & 07777) == 0)
        && writeBytes(fd, bytes) && ::fstat(fd, &own) == 0;
    int error = errno;
    // A full disk may show only when the data leaves for it.
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(path.constData());
        errno = error;
        return false;
    }
    temporary->path = std::move(path);
    temporary->device = own.st_dev;
    return true;
}

bool syncFileSystem(const QByteArray &pathOnIt)
{
    const int fd = ::open(pathOnIt.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::syncfs(fd) == 0;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return synced;
}

} // namespace

bool writeAll(int fd, QByteArrayView bytes)
{
    qsizetype at = 0;
    while (at < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + at, size_t(bytes.size() - at));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        at += written;
    }
    return true;
}

Outcome write(const QList<File> &files, const WriteBytes &writeBytes)
{
    Outcome outcome;
    QList<Temporary> temporaries;
    temporaries.reserve(files.size());
    const auto dropAll = [&](const QString &why) {
        for (const Temporary &temporary : temporaries)
            ::unlink(temporary.path.constData());
        for (const File &file : files)
            outcome.failed.append(QStringLiteral("%1: %2").arg(file.path, why));
        return outcome;
    };
    for (qsizetype i = 0; i < files.size(); ++i) {
        Temporary temporary;
        temporary.file = i;
        if (!writeTemporary(QFile::encodeName(files.at(i).path), files.at(i).bytes, writeBytes, &temporary))
            return dropAll(systemErrorText(errno));
        temporaries.append(std::move(temporary));
    }
    QSet<dev_t> synced;
    for (const Temporary &temporary : std::as_const(temporaries)) {
        if (synced.contains(temporary.device))
            continue;
        if (!syncFileSystem(temporary.path))
            return dropAll(systemErrorText(errno));
        synced.insert(temporary.device);
    }
    for (const Temporary &temporary : std::as_const(temporaries)) {
        const QString &path = files.at(temporary.file).path;
        if (::rename(temporary.path.constData(), QFile::encodeName(path).constData()) == 0) {
            outcome.written.append(path);
        } else {
            outcome.failed.append(failure(path, errno));
            ::unlink(temporary.path.constData());
        }
    }
    return outcome;
}

} // namespace BatchWrite
