#pragma once

#include "transfer/folderwalk.h"
#include "transfer/publishmanifest.h"
#include "transfer/remoteitem.h"
#include "workspace/siteexclusions.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// What 更新分を公開 would do: from the site's local tree, the listing of its remote tree and
// the manifest of the last publish, each file's state (new, changed, only on the server,
// changed on the server by someone else, unchanged) and whether it is ticked by default, with
// what the site's exclusions leave out. Paths are relative to the two roots and kept as bytes:
// local ones as the file system names them, remote ones as the server does. Logic only: the
// job lists and hashes, this decides.
namespace PublishPlan {

enum class State {
    New,             // not on the server
    Changed,         // its content differs from what was last published (or its size does)
    ServerOnly,      // on the server, no longer here
    ChangedOnServer, // the server's copy is not the one this program left there
    SameSize,        // never published from here, same size on the server: undecided yet
    Unchanged,
};

// The state's caption in the list ("新規").
QString stateText(State state);
// Sent (or deleted) unless the user unticks it: new and changed files only. What only the
// server has and what someone else changed are never touched unless the user ticks them.
bool checkedByDefault(State state);

struct RemoteFile
{
    qint64 size = 0;
    RemoteDate time;
    QString attributes; // the listing's, which hold the mode
};

// The remote tree below the root, as its listings gave it.
struct RemoteTree
{
    QHash<QByteArray, RemoteFile> files;
    QSet<QByteArray> folders; // the root ("") is not among them
    // Each folder's listed names, by its path ("" for the root): they decide how a local name
    // is spelled on the server.
    QHash<QByteArray, std::vector<QByteArray>> names;
    QStringList skipped;  // "name（reason）": links, which are never followed nor deleted
    QStringList excluded; // "name（reason）": what the exclusions leave out, never listed into
    // False where the listings leave out names that start with a dot: what this program sent
    // there is then known from the manifest alone.
    bool hiddenShown = true;
};

// The most folders a remote tree is read to.
constexpr int maxRemoteFolders = 100000;

// The listing of the folder at a path below the root ("" for the root, else ending in "/").
using ListFolder = std::function<RemoteItems(const QByteArray &relativeFolder)>;
RemoteTree
readRemote(const ListFolder &list, const SiteExclusions &exclusions = {}, const FolderWalk::Limits &limits = {});

struct LocalFile
{
    QByteArray path;
    qint64 size = 0;
    PublishManifest::LocalStamp stamp; // unknown for a file changed moments before the walk
};

// The local tree below the root, by the folder transfers' rules: names as bytes, no link
// followed, anything but plain files and folders left out (and named in skipped).
struct LocalTree
{
    QList<LocalFile> files;
    QList<QByteArray> folders; // the root left out
    QStringList skipped;
    QStringList excluded; // as RemoteTree's; a folder left out is named alone, not its files
};

// This machine's time, in nanoseconds since 1970.
qint64 nowNs();

// root: a full path in the file system's bytes, without a trailing "/". now: the time the walk
// starts at, which decides which files have rested long enough to be stamped.
LocalTree readLocal(const QByteArray &root,
                    const FolderWalk::Limits &limits = {},
                    qint64 now = nowNs(),
                    const SiteExclusions &exclusions = {});

struct Item
{
    State state = State::New;
    QByteArray local;                 // empty for what only the server has
    QByteArray remote;                // below the remote root
    bool folder = false;              // a folder only the server has
    qint64 size = 0;                  // the local file's; the server's for what only it has
    std::optional<RemoteFile> listed; // the server's copy, when it has one
    std::uint64_t hash = 0;           // the local content's, when it was needed to decide
    bool hashed = false;
    PublishManifest::LocalStamp stamp; // the local file's, taken before any hash of it
    bool checked = false;

    QString shownPath() const;
};

struct Plan
{
    QList<Item> items; // local files in walk order, then what only the server has
    // Folders the server holds: listed, or known from the manifest where listings hide them.
    QSet<QByteArray> remoteFolders;
    QStringList skipped;
    QStringList excluded;
    QStringList exclusionPatterns; // the site's, which left those out

    qsizetype count(State state) const;
};

// The content hash of a local file by its relative path; nothing when it cannot be read. Not
// asked for a file whose stamp is the one the manifest kept with the hash.
using HashFile = std::function<std::optional<std::uint64_t>(const QByteArray &relativeLocal)>;

Plan compute(const LocalTree &local, const RemoteTree &remote, const PublishManifest &manifest, const HashFile &hash);

// The user's answer for files of the same size that were never published from here: each is
// changed or unchanged as sameContent says (a download compared), or all are unchanged.
void decideSameSize(Plan &plan, const std::function<bool(const Item &item)> &sameContent);

} // namespace PublishPlan

Q_DECLARE_METATYPE(PublishPlan::Plan)
