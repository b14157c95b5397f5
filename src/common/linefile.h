#pragma once

#include <QFileDevice>
#include <QString>
#include <QStringList>

// The program's small list files: read whole, split at CR LF, CR or LF; written whole with CR LF
// after every line, in CP932 when every character fits and otherwise in UTF-8 with its byte
// order mark.
namespace LineFile {

QStringList splitLines(const QString &text);
QString joinLines(const QStringList &lines);

// Throws UserError with the system's reason when the file cannot be read.
QStringList read(const QString &path);

// Replaces the file atomically (a temporary file renamed over it), so a failed write never
// leaves a half-written list. Throws UserError on failure; the old file is then untouched.
void write(const QString &path, const QStringList &lines, QFileDevice::Permissions permissions = {});

} // namespace LineFile
