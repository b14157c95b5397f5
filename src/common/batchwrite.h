#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Writes many whole files so that each is either as it was or completely new, and so that a
// full disk leaves every one as it was. Every new file is first written beside its target under
// a hidden temporary name; only when all of them are written are they made durable with one
// sync of their file system (a sync per file would make a thousand small pages take seconds)
// and renamed over their targets. The file's permission bits are kept.
namespace BatchWrite {

struct File
{
    QString path;
    QByteArray bytes;
};

struct Outcome
{
    QStringList written;
    QStringList failed; // "path: why", each left as it was
};

// Writes all of bytes to the open file, or returns false with errno set. Tests put a failing
// writer in its place to stand for a full disk.
using WriteBytes = std::function<bool(int fd, QByteArrayView bytes)>;
bool writeAll(int fd, QByteArrayView bytes);

Outcome write(const QList<File> &files, const WriteBytes &writeBytes = writeAll);

// The temporary name's mark, for a listing that is to pass over a crashed run's leftovers.
inline constexpr char kTemporaryMark[] = ".qzweb-new-";

} // namespace BatchWrite
