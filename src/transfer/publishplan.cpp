#include "transfer/publishplan.h"

#include "common/usererror.h"
#include "transfer/remotenames.h"
#include "transfer/transferjobs.h"

#include <algorithm>
#include <chrono>
#include <sys/stat.h>

namespace PublishPlan {

namespace {

QByteArray joined(const QByteArray &folder, const QByteArray &name)
{
    return folder.isEmpty() ? name : folder + '/' + name;
}

// The server's spelling of a local path: each name as RemoteNames::encodeLocal spells it among
// the names its remote folder already holds. Throws UserError for a name the folder's
// encoding cannot hold.
QByteArray remotePathOf(const QByteArray &local, const RemoteTree &remote)
{
    QByteArray path;
    for (const QByteArray &part : local.split('/'))
        path = joined(path, RemoteNames::encodeLocal(part, remote.names.value(path)));
    return path;
}

// The file's size and stamp. A file whose times are within this much of the walk (or after it)
// may still be written to within the same tick of the file system's clock, unseen by its
// times: its stamp stays unknown, and it is hashed every time until it has rested.
constexpr qint64 kRestingNs = 2'000'000'000;

LocalFile statOf(const QByteArray &path, qint64 walkStartNs)
{
    LocalFile file;
    struct stat status
    {};
    if (::lstat(path.constData(), &status) != 0)
        return file;
    file.size = static_cast<qint64>(status.st_size);
    const qint64 modified = qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
    const qint64 changed = qint64(status.st_ctim.tv_sec) * 1'000'000'000 + status.st_ctim.tv_nsec;
    if (std::max(modified, changed) < walkStartNs - kRestingNs)
        file.stamp = {file.size, modified, changed, static_cast<quint64>(status.st_ino)};
    return file;
}

// The server's copy is the one this program left: the size it listed then, and the time too
// as far as both listings tell it (a day alone once the entry is half a year old).
bool isOurs(const RemoteFile &listed, const PublishManifest::Entry &entry)
{
    return listed.size == entry.remoteSize && listed.time.matches(entry.remoteTime);
}

// A path any of whose names starts with a dot: what servers that hide such names leave out.
bool isHiddenPath(const QByteArray &path)
{
    return path.startsWith('.') || path.contains("/.");
}

// Entries left out, each once: the same folder is often left out on both sides.
void appendExcluded(QStringList &list, QSet<QString> &seen, const QStringList &entries)
{
    for (const QString &entry : entries) {
        if (!seen.contains(entry)) {
            seen.insert(entry);
            list.append(entry);
        }
    }
}

} // namespace

QString stateText(State state)
{
    switch (state) {
    case State::New:
        return QStringLiteral("新規");
    case State::Changed:
        return QStringLiteral("変更");
    case State::ServerOnly:
        return QStringLiteral("サーバーのみ");
    case State::ChangedOnServer:
        return QStringLiteral("他で変更");
    case State::SameSize:
        return QStringLiteral("同じ大きさ");
    case State::Unchanged:
        break;
    }
    return QStringLiteral("変更なし");
}

bool checkedByDefault(State state)
{
    return state == State::New || state == State::Changed;
}

QString Item::shownPath() const
{
    return RemoteNames::decode(local.isEmpty() ? remote : local);
}

qsizetype Plan::count(State state) const
{
    return std::count_if(items.cbegin(), items.cend(), [state](const Item &item) { return item.state == state; });
}

RemoteTree readRemote(const ListFolder &list, const SiteExclusions &exclusions, const FolderWalk::Limits &limits)
{
    RemoteTree tree;
    // The walk joins names with "/" below a top named "": its paths start with that "/".
    const FolderWalk::ListFolder listFolder = [&](const QByteArray &path) {
        const QByteArray folder = path.mid(1);
        const QByteArray key = folder.endsWith('/') ? folder.chopped(1) : folder;
        QList<FolderWalk::RemoteEntry> entries;
        std::vector<QByteArray> &names = tree.names[key];
        for (const RemoteItem &item : list(folder)) {
            if (item.name == "." || item.name == "..")
                continue;
            const QByteArray relative = joined(key, item.name);
            names.push_back(item.name);
            if (item.isLink()) {
                tree.skipped.append(
                    TransferJobs::skippedEntry(RemoteNames::decode(relative), QStringLiteral("リンク")));
                continue;
            }
            if (!TransferJobs::isPlainRemoteName(item.name))
                continue;
            if (const std::optional<QString> reason = exclusions.reasonFor(relative, item.folder)) {
                tree.excluded.append(TransferJobs::skippedEntry(
                    RemoteNames::decode(relative) + (item.folder ? QStringLiteral("/") : QString()), *reason));
                continue;
            }
            if (item.folder)
                tree.folders.insert(relative);
            else
                tree.files.insert(relative, {item.size, item.date, item.attributes});
            entries.append({item.name, item.folder});
        }
        return entries;
    };
    FolderWalk::walkRemoteFolder(QByteArray(), listFolder, maxRemoteFolders, limits);
    return tree;
}

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

LocalTree
readLocal(const QByteArray &root, const FolderWalk::Limits &limits, qint64 now, const SiteExclusions &exclusions)
{
    const FolderWalk::LocalResult walk = FolderWalk::walkLocalFolder(root, limits);
    const qsizetype prefix = root.size() + 1;
    LocalTree tree;
    // The walk lists every folder before those inside it, so a folder's parent is decided first.
    QSet<QByteArray> leftOut;
    const auto insideLeftOut = [&leftOut](const QByteArray &relative) {
        const qsizetype slash = relative.lastIndexOf('/');
        return slash > 0 && leftOut.contains(relative.left(slash));
    };
    const auto exclude = [&](const QByteArray &relative, bool folder) {
        if (insideLeftOut(relative)) {
            if (folder)
                leftOut.insert(relative);
            return true;
        }
        const std::optional<QString> reason = exclusions.reasonFor(relative, folder);
        if (!reason)
            return false;
        if (folder)
            leftOut.insert(relative);
        tree.excluded.append(TransferJobs::skippedEntry(
            RemoteNames::decode(relative) + (folder ? QStringLiteral("/") : QString()), *reason));
        return true;
    };
    for (qsizetype i = 1; i < walk.folders.size(); ++i) {
        const QByteArray relative = walk.folders.at(i).mid(prefix);
        if (!exclude(relative, true))
            tree.folders.append(relative);
    }
    for (const QByteArray &path : walk.files) {
        if (exclude(path.mid(prefix), false))
            continue;
        LocalFile file = statOf(path, now);
        file.path = path.mid(prefix);
        tree.files.append(file);
    }
    for (const FolderWalk::SkippedEntry &entry : walk.skipped)
        tree.skipped.append(TransferJobs::skippedEntry(RemoteNames::decode(entry.path.mid(prefix)),
                                                       TransferJobs::localSkipReason(entry.reason)));
    return tree;
}

Plan compute(const LocalTree &local, const RemoteTree &remote, const PublishManifest &manifest, const HashFile &hash)
{
    Plan plan;
    plan.remoteFolders = remote.folders;
    plan.skipped = local.skipped + remote.skipped;
    QSet<QString> seen;
    appendExcluded(plan.excluded, seen, local.excluded);
    appendExcluded(plan.excluded, seen, remote.excluded);
    QSet<QByteArray> matched; // remote files and folders that a local one maps to
    const auto skip = [&plan](const QByteArray &local, const QString &reason) {
        plan.skipped.append(TransferJobs::skippedEntry(RemoteNames::decode(local), reason));
    };
    for (const QByteArray &folder : local.folders) {
        try {
            const QByteArray path = remotePathOf(folder, remote);
            matched.insert(path);
            // Where the listings hide names starting with a dot, a folder that holds files the
            // manifest records is there all the same: this program made it.
            if (!remote.hiddenShown && isHiddenPath(path) && manifest.holdsBelow(path))
                plan.remoteFolders.insert(path);
        } catch (const UserError &) {
            // Its files are skipped with the reason below.
        }
    }
    for (const LocalFile &file : local.files) {
        Item item;
        item.local = file.path;
        item.size = file.size;
        item.stamp = file.stamp;
        try {
            item.remote = remotePathOf(file.path, remote);
        } catch (const UserError &error) {
            skip(file.path, error.text());
            continue;
        }
        matched.insert(item.remote);
        if (remote.folders.contains(item.remote)) {
            skip(file.path, QStringLiteral("サーバーでは同じ名前のフォルダです"));
            continue;
        }
        const auto listed = remote.files.constFind(item.remote);
        const PublishManifest::Entry *entry = manifest.find(item.remote);
        // Unchanged while the content is what was last sent, else changed; nothing when the
        // file cannot be read.
        const auto byContent = [&]() -> std::optional<State> {
            const bool stampStands = file.stamp.known() && file.stamp == entry->local;
            const std::optional<std::uint64_t> content = stampStands ? entry->hash : hash(file.path);
            if (!content)
                return std::nullopt;
            item.hash = *content;
            item.hashed = true;
            return *content == entry->hash ? State::Unchanged : State::Changed;
        };
        std::optional<State> state;
        if (listed == remote.files.cend()) {
            // Not listed, yet sent from here: where the listings hide the name, the manifest
            // alone says what the server holds.
            const bool recorded = entry && !remote.hiddenShown && isHiddenPath(item.remote);
            state = recorded ? byContent() : State::New;
        } else {
            item.listed = listed.value();
            if (!entry)
                state = listed->size == file.size ? State::SameSize : State::Changed;
            else if (!isOurs(*listed, *entry))
                state = State::ChangedOnServer;
            else
                state = byContent();
        }
        if (!state) {
            skip(file.path, TransferJobs::localSkipReason(FolderWalk::LocalSkip::Unreadable));
            continue;
        }
        item.state = *state;
        item.checked = checkedByDefault(item.state);
        plan.items.append(item);
    }

    QList<QByteArray> serverFiles;
    for (auto it = remote.files.cbegin(); it != remote.files.cend(); ++it) {
        if (!matched.contains(it.key()))
            serverFiles.append(it.key());
    }
    std::sort(serverFiles.begin(), serverFiles.end());
    for (const QByteArray &path : serverFiles) {
        Item item;
        item.state = State::ServerOnly;
        item.remote = path;
        item.listed = remote.files.value(path);
        item.size = item.listed->size;
        plan.items.append(item);
    }
    QList<QByteArray> serverFolders;
    for (const QByteArray &folder : remote.folders) {
        if (!matched.contains(folder))
            serverFolders.append(folder);
    }
    std::sort(serverFolders.begin(), serverFolders.end());
    for (const QByteArray &folder : serverFolders) {
        Item item;
        item.state = State::ServerOnly;
        item.remote = folder;
        item.folder = true;
        plan.items.append(item);
    }
    return plan;
}

void decideSameSize(Plan &plan, const std::function<bool(const Item &item)> &sameContent)
{
    for (Item &item : plan.items) {
        if (item.state != State::SameSize)
            continue;
        item.state = sameContent && !sameContent(item) ? State::Changed : State::Unchanged;
        item.checked = checkedByDefault(item.state);
    }
}

} // namespace PublishPlan
