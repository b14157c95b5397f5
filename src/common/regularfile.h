#pragma once

#include <QByteArray>
#include <QString>

// The one way the program reads a file it is pointed at: documents, the list files and the
// favourites' shortcut files. Only a regular file is read: a named pipe would wait for a writer
// forever and a device such as /dev/zero never ends, so both are refused before a byte is read,
// without blocking. A file beyond the caller's size limit is refused before it is read too, so a
// huge file cannot take the program's memory.
namespace RegularFile {

// Documents: far beyond any page written by hand, small enough to edit.
constexpr qint64 kDocumentLimit = qint64(256) * 1024 * 1024;
// The program's own list files hold a few hundred lines.
constexpr qint64 kListFileLimit = qint64(16) * 1024 * 1024;

// The whole file. Throws UserError "ファイル <path> は開けません" followed by the reason when the
// file cannot be opened, is not a regular file, or is larger than limit bytes.
QByteArray readAll(const QString &path, qint64 limit);

// At most the first maxBytes bytes of a regular file of any size, for files of which only the
// start matters. Throws UserError as readAll does.
QByteArray readStart(const QString &path, qint64 maxBytes);

// The reason shown for a file larger than limit bytes.
QString tooLargeText(qint64 limit);

} // namespace RegularFile
