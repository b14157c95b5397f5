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
    // Entries the walk did not take: symbolic links and anything that is neither a plain file
    // nor a folder (a FIFO would block an upload for ever, a device would publish its contents).
    QList<Path> skipped;
};

// Bounds on what a walk takes in: a tree deeper or larger than this is a loop or an attack, and
// walking it on would only end when memory does. Exceeding either fails with a UserError.
struct Limits
{
    int maxDepth = 64;              // levels below the top folder
    qsizetype maxEntries = 1000000; // folders and files together
};

// A local folder (a full path without a trailing separator). Hidden entries are included;
// entries are taken in name order. Symbolic links are never followed, neither to folders (a link
// to a parent would loop, a link to a private folder would publish it) nor to files; they go to
// skipped.
Result<QString> walkLocalFolder(const QString &top, QChar sep, const Limits &limits = {});

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
Result<QByteArray> walkRemoteFolder(const QByteArray &top,
                                    const ListFolder &listFolder,
                                    int maxFolders = 100000,
                                    const Limits &limits = {});

} // namespace FolderWalk
