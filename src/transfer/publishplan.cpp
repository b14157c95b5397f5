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
// once a listing gave one.
bool isOurs(const RemoteFile &listed, const PublishManifest::Entry &entry)
{
    return listed.size == entry.remoteSize && (entry.remoteTime.isEmpty() || listed.time == entry.remoteTime);
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

RemoteTree readRemote(const ListFolder &list, const FolderWalk::Limits &limits)
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
            if (item.folder)
                tree.folders.insert(relative);
            else
                tree.files.insert(relative, {item.size, item.date.text()});
            entries.append({item.name, item.folder});
        }
        return entries;
    };
    FolderWalk::walkRemoteFolder(QByteArray(), listFolder, 100000, limits);
    return tree;
}

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

LocalTree readLocal(const QByteArray &root, const FolderWalk::Limits &limits, qint64 now)
{
    const FolderWalk::LocalResult walk = FolderWalk::walkLocalFolder(root, limits);
    const qsizetype prefix = root.size() + 1;
    LocalTree tree;
    for (qsizetype i = 1; i < walk.folders.size(); ++i)
        tree.folders.append(walk.folders.at(i).mid(prefix));
    for (const QByteArray &path : walk.files) {
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
    QSet<QByteArray> matched; // remote files and folders that a local one maps to
    const auto skip = [&plan](const QByteArray &local, const QString &reason) {
        plan.skipped.append(TransferJobs::skippedEntry(RemoteNames::decode(local), reason));
    };
    for (const QByteArray &folder : local.folders) {
        try {
            matched.insert(remotePathOf(folder, remote));
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
        if (listed == remote.files.cend()) {
            item.state = State::New;
        } else {
            item.listed = listed.value();
            const PublishManifest::Entry *entry = manifest.find(item.remote);
            if (!entry) {
                item.state = listed->size == file.size ? State::SameSize : State::Changed;
            } else if (!isOurs(*listed, *entry)) {
                item.state = State::ChangedOnServer;
            } else {
                const bool stampStands = file.stamp.known() && file.stamp == entry->local;
                const std::optional<std::uint64_t> content = stampStands ? entry->hash : hash(file.path);
                if (!content) {
                    skip(file.path, TransferJobs::localSkipReason(FolderWalk::LocalSkip::Unreadable));
                    continue;
                }
                item.hash = *content;
                item.hashed = true;
                item.state = *content == entry->hash ? State::Unchanged : State::Changed;
            }
        }
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
