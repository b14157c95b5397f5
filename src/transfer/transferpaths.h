#pragma once

#include <QByteArray>
#include <QString>

// The path helpers of folder transfers, shared by the local side (QString, the platform's separator) and the remote side
// (the server's bytes, "/"): the separator is a parameter so that either kind can be tested.
// "/" (2F) is never part of a Shift_JIS character, so a parent can be found on the bytes.
namespace TransferPaths {

// Every "/" or "\" that is not sep becomes sep; nothing else changes. Text only: a "\" byte can
// be the second half of a Shift_JIS character (表 is 95 5C), so a server's name is decoded first.
QString convertSeparators(QString path, QChar sep);

// The parent of path, ending in sep: one trailing sep is dropped first, then everything up to and
// including the last sep is kept; empty when there is none ("site" has no parent).
QString parentPath(const QString &path, QChar sep);
QByteArray parentPath(const QByteArray &path, char sep);

} // namespace TransferPaths
