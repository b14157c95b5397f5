#pragma once

#include <QChar>
#include <QString>

// How paths are written on one platform: the folder separator and whether names differing only
// in letter case name the same folder.
struct PathStyle
{
    QChar separator;
    Qt::CaseSensitivity caseSensitivity;

    static PathStyle windows() { return {QLatin1Char('\\'), Qt::CaseInsensitive}; }
    static PathStyle posix() { return {QLatin1Char('/'), Qt::CaseSensitive}; }
    static PathStyle native();
};

// The file name as a page in baseFolder would refer to it: relative when both are on the same
// drive (drive letter, or server and share of a network path), the full path otherwise; the
// separators of the style become "/", as links are written. baseFolder may or may not end in a
// separator.
QString relativeFileName(const QString &baseFolder, const QString &filePath, const PathStyle &style);

// The file with its folder resolved to the real one, as the current folder always is: a file
// reached through a linked folder must still come out relative to the page, or the link would
// only work on this machine. The file's own name is kept even when it is a link itself.
QString physicalPath(const QString &file);

// The folder with one separator at its end.
QString withTrailingSeparator(const QString &folder, QChar separator);
