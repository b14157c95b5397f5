#pragma once

#include <QString>
#include <QStringList>

// Takes the user's browser favourites as a first favourites list: a folder tree of Internet
// shortcut files (.url, as copied from a Windows profile), walked breadth first. Each file
// becomes one favourite line: its folder's path below the root as category ("Root" for the
// root itself), its file name as title, and what its second line holds after the first "=" as
// address. Nothing is written; the lines reach favorite.ini only through the window's
// write-back.
namespace FavoriteImport {

inline const QString kRootCategory = QStringLiteral("Root");

// The Favorites folder: $QZWEB_FAVORITES when set, else "Favorites" in the home folder.
QString folder();
QString chooseFolder(const QString &variable, const QString &homeFolder);

// The category of the files of folder, a folder at or below root.
QString categoryFor(const QString &root, const QString &folder);

// The address a shortcut file's text gives: its second line after the first "=", the whole
// second line when it holds none, empty when there is no second line.
QString addressOf(const QString &text);

// The favourite lines of every file below root: the root's files first, then those of each
// sub-folder in the order the folders were found; within a folder by name, letter case aside.
// A root that does not exist gives no lines. Throws UserError for a file or folder that
// cannot be read; then no line is returned at all.
QStringList scan(const QString &root);

} // namespace FavoriteImport
