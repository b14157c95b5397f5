#include "common/regularfile.h"

#include "common/errortext.h"
#include "common/usererror.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RegularFile {

namespace {

QString cannotOpen(const QString &path, const QString &reason)
{
    return QStringLiteral("ファイル %1 は開けません\n%2").arg(path, reason);
}

[[noreturn]] void refuse(const QString &path, const QString &reason)
{
    throw UserError(cannotOpen(path, reason));
}

// What the file is instead of a regular file, in the words of the reason shown.
QString notRegularText(mode_t mode)
{
    if (S_ISDIR(mode))
        return systemErrorText(EISDIR);
    QString kind = QStringLiteral("特殊なファイル");
    if (S_ISFIFO(mode))
        kind = QStringLiteral("名前付きパイプ");
    else if (S_ISCHR(mode) || S_ISBLK(mode))
        kind = QStringLiteral("デバイス");
    else if (S_ISSOCK(mode))
        kind = QStringLiteral("ソケット");
    return QStringLiteral("%1は通常のファイルではないため開けません").arg(kind);
}

QString megabytes(qint64 bytes)
{
    return QStringLiteral("%1 MB").arg((bytes + 1024 * 1024 - 1) / (1024 * 1024));
}

// Closes the descriptor however the read ends.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Reads up to maxBytes; with refuseLonger, a file found longer than limit (it may have grown
// since it was measured) is refused rather than cut.
QByteArray read(const QString &path, qint64 maxBytes, bool refuseLonger)
{
    const QByteArray name = QFile::encodeName(path);
    // Looked at first, so a device is never even opened; checked again on the open descriptor,
    // in case the name was swapped for something else in between. Opening does not block:
    // opening a named pipe for reading would otherwise wait for a writer.
    struct stat info
    {};
    if (::stat(name.constData(), &info) != 0)
        refuse(path, systemErrorText(errno));
    if (!S_ISREG(info.st_mode))
        refuse(path, notRegularText(info.st_mode));
    const Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        refuse(path, systemErrorText(errno));
    if (::fstat(fd.get(), &info) != 0)
        refuse(path, systemErrorText(errno));
    if (!S_ISREG(info.st_mode))
        refuse(path, notRegularText(info.st_mode));
    if (refuseLonger && info.st_size > maxBytes)
        refuse(path, tooLargeText(maxBytes));

    // One byte more than allowed tells a file that grew past the limit from one that fits.
    const qint64 wanted = refuseLonger ? maxBytes + 1 : maxBytes;
    QByteArray bytes;
    bytes.resize(qsizetype(qMin<qint64>(wanted, qMax<qint64>(info.st_size, 0) + 1)));
    qint64 filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled >= wanted)
                break;
            bytes.resize(qsizetype(qMin<qint64>(wanted, qMax<qint64>(filled * 2, 4096))));
        }
        const ssize_t got = ::read(fd.get(), bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int saved = errno;
            throw UserError(QStringLiteral("ストリームからの読み込みに失敗しました\n") + systemErrorText(saved));
        }
        if (got == 0)
            break;
        filled += got;
    }
    if (refuseLonger && filled > maxBytes)
        refuse(path, tooLargeText(maxBytes));
    bytes.truncate(qsizetype(filled));
    return bytes;
}

} // namespace

QString tooLargeText(qint64 limit)
{
    return QStringLiteral("%1 を超える大きなファイルは開けません").arg(megabytes(limit));
}

QByteArray readAll(const QString &path, qint64 limit)
{
    return read(path, limit, true);
}

QByteArray readStart(const QString &path, qint64 maxBytes)
{
    return read(path, maxBytes, false);
}

} // namespace RegularFile
