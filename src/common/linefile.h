#pragma once

#include <QFileDevice>
#include <QString>
#include <QStringList>
#include <QStringView>

// The program's small list files: read whole up to the first zero byte, split at CR LF, CR or
// LF; written whole with CR LF after every line, in CP932 when the text reads back from it
// unchanged and otherwise in UTF-8 with its byte order mark.
namespace LineFile {

// What reading a list file found, kept by the list's owner until the list is written back.
struct Contents
{
    QStringList lines;
    // The text stopped at a zero byte, so the lines hold only part of the file: writing them
    // back as they are would lose the rest.
    bool damaged = false;

    bool operator==(const Contents &) const = default;
};

QStringList splitLines(const QString &text);
QString joinLines(const QStringList &lines);

// The lines a list file's bytes hold; damaged when a zero byte cut them short.
Contents decode(const QByteArray &bytes);

// Throws UserError with the system's reason when the file cannot be read, is not a regular file
// or is implausibly large for a list.
Contents readContents(const QString &path);
QStringList read(const QString &path);

// Replaces the file atomically (a temporary file renamed over it), so a failed write never
// leaves a half-written list. Throws UserError on failure; the old file is then untouched.
void write(const QString &path, const QStringList &lines, QFileDevice::Permissions permissions = {});

// The name a damaged list file is kept under once its list has been changed.
QString backupPath(const QString &path);

// Writes lines over a list file that was read as asRead. A damaged file keeps its bytes while
// its list is unchanged; once the list changed, the file is first moved to backupPath(path), so
// what the read could not take survives beside the new list. Returns what the file holds
// afterwards, to pass to the next write. Throws UserError; the file is then as it was.
Contents writeOver(const QString &path,
                   const Contents &asRead,
                   const QStringList &lines,
                   bool changed,
                   QFileDevice::Permissions permissions = {});

// The names of the characters in value that no line of a list file can hold (a line break
// splits the line, a zero ends the file), in a fixed order, each once; empty when it fits.
QStringList unstorableCharacters(QStringView value);

} // namespace LineFile
