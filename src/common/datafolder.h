#pragma once

#include <QString>

// Where the program keeps its list files (recent files, visited pages, favourites, FTP sites):
// $QZWEB_HOME when set; else the executable's folder when it already holds QZWEB.ini (a
// portable install); else ~/.config/QZWeb/. The folder is created on first use.
namespace DataFolder {

QString path();
QString filePath(const QString &fileName);

// The rule itself, over its three inputs: the value of $QZWEB_HOME, the executable's folder and
// the user's configuration folder (~/.config, or $XDG_CONFIG_HOME).
QString choose(const QString &homeVariable, const QString &executableFolder, const QString &configFolder);

} // namespace DataFolder
