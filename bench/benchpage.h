#pragma once

// The pages the editor bench opens, and the floor's way of reading them.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace BenchPage {

// A Shift_JIS page as beginners write them, of at least size bytes.
QByteArray make(qsizetype size);
void write(const QString &path, qsizetype size);
// count pages of size bytes in folder, page01.htm on.
void writeMany(const QString &folder, int count, qsizetype size);
// The pages in folder, in the order of their names.
QStringList pathsIn(const QString &folder);

// The simplest reading of Shift_JIS there is: iconv into UTF-16, CR LF made LF as an editor
// shows it.
QString floorDecode(const QByteArray &bytes);

} // namespace BenchPage
