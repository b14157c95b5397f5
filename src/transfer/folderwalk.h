#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// Breadth-first walks of a folder tree for the folder transfers: every folder (the top one first,
// then each folder's sub-folders in the order found) and every file below the top. The folder
// list grows while it is walked, so sub-folders come after all folders of the level above.
namespace FolderWalk {

struct RemoteResult
{
    QList<QByteArray> folders; // starts with the top folder
    QList<QByteArray> files;
};

// Bounds on what a walk takes in: a tree deeper or larger than this is a loop or an attack, and
// walking it on would only end when memory does. Exceeding either fails with a UserError.
struct Limits
{
    int maxDepth = 64;              // levels below the top folder
    qsizetype maxEntries = 1000000; // folders and files together
};

// Why a local walk left an entry out.
enum class LocalSkip {
    Link,       // a symbolic link, to a folder or to a file
    Special,    // a FIFO, a device or a socket
    Unreadable, // a folder that cannot be opened, or an entry that vanished while read
};

struct SkippedEntry
{
    QByteArray path;
    LocalSkip reason = LocalSkip::Link;
};

struct LocalResult
{
    QList<QByteArray> folders; // starts with the top folder
    QList<QByteArray> files;
    QList<SkippedEntry> skipped;
};

// A local folder (a full path in the file system's own bytes, without a trailing "/"). Names
// are read as the bytes they are, so a name in another encoding than the system's (CP932 from
// a Windows archive) is walked like any other. Hidden entries are included; entries are taken
// in byte order of their names. Symbolic links are never followed, neither to folders (a link
// to a parent would loop, a link to a private folder would publish it) nor to files; they go
// to skipped with everything else that is not a plain file or folder. The program's own preview
// copies are no part of any site and are left out unsaid. Throws UserError when the top folder
// cannot be read.
LocalResult walkLocalFolder(const QByteArray &top, const Limits &limits = {});

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
RemoteResult walkRemoteFolder(const QByteArray &top,
                              const ListFolder &listFolder,
                              int maxFolders = 100000,
                              const Limits &limits = {});

} // namespace FolderWalk
