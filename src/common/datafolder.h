#pragma once

#include <QString>

// Where the program keeps its list files (recent files, visited pages, favourites, FTP sites):
// $QZWEB_HOME when set; else the executable's folder when it already holds QZWEB.ini (a
// portable install); else ~/.config/QZWeb/. The folder is created on first use.
namespace DataFolder {

QString path();
QString filePath(const QString &fileName);

} // namespace DataFolder
