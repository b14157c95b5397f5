#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// Breadth-first walks of a folder tree for the folder transfers: every folder (the top one first,
// then each folder's sub-folders in the order found) and every file below the top. The folder
// list grows while it is walked, so sub-folders come after all folders of the level above.
namespace FolderWalk {

template<typename Path>
struct Result
{
    QList<Path> folders; // starts with the top folder
    QList<Path> files;
};

// A local folder (a full path without a trailing separator). Hidden entries are included;
// entries are taken in name order. A folder reached twice (through a link back up the tree) is
// walked once, so a loop of links cannot make the walk endless.
Result<QString> walkLocalFolder(const QString &top, QChar sep);

// One entry of a remote folder's listing.
struct RemoteEntry
{
    QByteArray name;
    bool isFolder = false;
};
using ListFolder = std::function<QList<RemoteEntry>(const QByteArray &path)>;

// A remote folder (a name in the current remote folder): listFolder(path + "/") gives the
// entries of each folder; "." and ".." and empty names are passed over. Paths are joined with
// "/". At most maxFolders folders are listed, since a server can present an endless tree.
Result<QByteArray> walkRemoteFolder(const QByteArray &top, const ListFolder &listFolder, int maxFolders = 100000);

} // namespace FolderWalk
