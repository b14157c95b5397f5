#pragma once

#include <QString>
#include <QStringList>

// The two list files of the preview pane, the visited pages (WEBUrl.ini) and the favourites
// (favorite.ini): their lines of three quoted fields, how they are read and written, and the
// order and length the visited-page list is kept at when it is written.
namespace WebListStore {

inline const QString kHistoryFileName = QStringLiteral("WEBUrl.ini");
inline const QString kFavoritesFileName = QStringLiteral("favorite.ini");

// The visited-page file keeps the most recent visits only.
constexpr qsizetype kHistoryLimit = 100;

// One list line: the group (a day or a category), the title and the address. A line break or a
// zero character inside a field would cut the line, and everything after it, when the file is
// read back, so each is written as a blank.
QString line(const QString &group, const QString &title, const QString &address);

// The lines of a list file; the text ends at a zero byte. Throws UserError when it cannot be read.
QStringList read(const QString &path);

// Replaces the file atomically; throws UserError on failure, leaving the old file as it was.
void write(const QString &path, const QStringList &lines);

// The visited-page lines as the file keeps them: sorted without regard to letter case by the
// user's collation (every line starts with its date, so the oldest day comes first), then only
// the last kHistoryLimit of them.
QStringList historyForWriting(QStringList lines);

} // namespace WebListStore
