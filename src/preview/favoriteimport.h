#pragma once

#include <QString>
#include <QStringList>

// Takes the user's browser favourites as a first favourites list: a folder tree of Internet
// shortcut files (.url, as copied from a Windows profile), walked breadth first. Each file
// becomes one favourite line: its folder's path below the root as category ("Root" for the
// root itself), its file name as title, and what its second line holds after the first "=" as
// address. Nothing is written; the lines reach favorite.ini only through the window's
// write-back. The walk stays inside the tree: it enters no folder through a symbolic link, reads
// a linked file only when the file is inside the tree, passes over anything but files and
// folders, and bounds the depth and the number of entries it looks at, so no link or odd folder
// can make it read the whole disk or never end. Pure file reading, safe off the window's thread.
namespace FavoriteImport {

inline const QString kRootCategory = QStringLiteral("Root");

// How far the walk goes: folders more than maxDepth levels below the root are not entered, and
// no more than maxEntries entries (files and folders) are looked at.
struct Limits
{
    int maxDepth = 16;
    int maxEntries = 20000;
};

struct Result
{
    QStringList lines;
    bool complete = true; // false: a limit was reached and part of the tree was left out
};

// The Favorites folder as an absolute path: $QZWEB_FAVORITES when set (a relative one taken
// from the current folder), else "Favorites" in the home folder.
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
Result scan(const QString &root, const Limits &limits = {});

// What the user is told when the walk was cut short.
QString incompleteNotice(const Limits &limits = {});

} // namespace FavoriteImport
