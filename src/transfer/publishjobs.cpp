#include "transfer/publishjobs.h"

#include "common/usererror.h"
#include "transfer/contenthash.h"
#include "transfer/ftp/ftpreplyerror.h"
#include "transfer/publishlock.h"
#include "transfer/remotejobs.h"
#include "transfer/remotelistingparser.h"
#include "transfer/remotenames.h"
#include "transfer/transferattempt.h"
#include "transfer/transferpaths.h"
#include "transfer/transferprogress.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

namespace PublishJobs {

namespace {

using PublishPlan::Item;
using PublishPlan::State;
using TransferJobs::Attempt;
using TransferJobs::OnFailure;
using TransferJobs::Summary;

std::string bytes(const QByteArray &array)
{
    return std::string(array.constData(), static_cast<std::size_t>(array.size()));
}

QByteArray fromBytes(const std::string &text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// The folder that holds a path below a root ("a/b.html": "a"; "b.html": "").
QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray() : path.left(slash);
}

QByteArray nameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// A path below the remote root as the server takes it.
class RemoteRoot
{
public:
    explicit RemoteRoot(QByteArray root) : m_root(std::move(root))
    {
        if (!m_root.endsWith('/'))
            m_root += '/';
    }
    std::string operator()(const QByteArray &relative) const { return bytes(m_root + relative); }

private:
    QByteArray m_root;
};

QString noteOfRefusedRename()
{
    return QStringLiteral("このサーバーは名前の変更を受け付けないため、ファイルを仮の名前で送ってから置き換えることが"
                          "できませんでした。ファイルはそのままの名前で直接アップロードしました（送っている間は、"
                          "途中までのファイルが見えることがあります）");
}

// Sends a file under a temporary name and renames it over the old one. A refused rename
// (the temporary file then removed) makes renamed false, and the file goes under its own name.
void storeReplacing(FtpClient &client,
                    const std::string &local,
                    const RemoteRoot &root,
                    const QByteArray &remote,
                    bool &renames,
                    const FtpClient::Progress &progress)
{
    if (!renames) {
        client.store(local, root(remote), progress);
        return;
    }
    const QByteArray temporary = TransferPaths::parentPath(remote, '/') + temporaryName(nameOf(remote));
    client.store(local, root(temporary), progress);
    try {
        client.rename(root(temporary), root(remote));
        return;
    } catch (const FtpReplyError &) {
        if (!client.isConnected())
            throw;
    }
    renames = false;
    try {
        client.deleteFile(root(temporary));
    } catch (const FtpReplyError &) {
        // Left for the user to see in the list; the file itself still goes.
    }
    client.store(local, root(remote), progress);
}

} // namespace

QByteArray temporaryName(const QByteArray &name)
{
    return ".qzweb-" + name + ".part";
}

Scan scan(FtpJobContext &context, const Site &site)
{
    FtpClient &client = context.client();
    Scan result;
    const QString local = QDir::cleanPath(site.localFolder);
    if (local.isEmpty() || !QFileInfo(local).isDir())
        throw UserError(QStringLiteral("公開元のフォルダ %1 がありません").arg(site.localFolder));
    result.localRoot = QFile::encodeName(local);
    const std::string current = client.currentDir();
    if (site.remoteFolder.isEmpty()) {
        result.remoteRoot = fromBytes(current);
    } else {
        RemoteJobs::changeDirTo(client, site.remoteFolder);
        result.remoteRoot = fromBytes(client.currentDir());
        client.changeDir(current);
    }
    result.manifestPath = PublishManifest::pathFor(site.host, site.user, result.remoteRoot);
    result.lock = std::make_shared<const PublishLock>(result.manifestPath);
    PublishManifest manifest;
    manifest.load(result.manifestPath);

    const RemoteRoot root(result.remoteRoot);
    const PublishPlan::RemoteTree remote = PublishPlan::readRemote([&](const QByteArray &folder) {
        context.checkStop();
        context.reportProgress(0, 0, RemoteNames::decode(folder));
        return RemoteListingParser::parse(client.list(root(folder)));
    });
    context.checkStop();
    const PublishPlan::LocalTree tree = PublishPlan::readLocal(result.localRoot);
    result.plan = PublishPlan::compute(tree, remote, manifest, [&](const QByteArray &relative) {
        return ContentHash::ofFile(result.localRoot + '/' + relative);
    });
    return result;
}

void compareSameSize(FtpJobContext &context, Scan &scan)
{
    QTemporaryDir folder;
    if (!folder.isValid())
        throw UserError(QStringLiteral("比べるための一時フォルダを作れません"));
    const RemoteRoot root(scan.remoteRoot);
    const std::string copy = bytes(QFile::encodeName(folder.filePath(QStringLiteral("copy"))));
    const int files = static_cast<int>(scan.plan.count(State::SameSize));
    TransferProgress progress(context, files, 0);
    PublishPlan::decideSameSize(scan.plan, [&](const Item &item) {
        context.checkStop();
        const QString shown = item.shownPath();
        context.client().retrieve(
            root(item.remote), copy, true, static_cast<std::uint64_t>(item.listed->size), progress.forFile(shown));
        progress.fileDone(0);
        const std::optional<std::uint64_t> theirs = ContentHash::ofFile(QByteArray::fromStdString(copy));
        const std::optional<std::uint64_t> ours = ContentHash::ofFile(scan.localRoot + '/' + item.local);
        return theirs && ours && *theirs == *ours;
    });
}

Summary publish(FtpJobContext &context, const Scan &scan)
{
    FtpClient &client = context.client();
    const RemoteRoot root(scan.remoteRoot);
    const auto localPath = [&scan](const Item &item) { return scan.localRoot + '/' + item.local; };
    PublishManifest manifest;
    manifest.load(scan.manifestPath);

    QList<Item> uploads;
    QList<Item> deletions;
    bool adopted = false;
    for (const Item &item : scan.plan.items) {
        const PublishManifest::Entry *entry = manifest.find(item.remote);
        if (item.state == State::Unchanged && item.listed && !entry) {
            const std::optional<std::uint64_t> hash =
                item.hashed ? std::optional(item.hash) : ContentHash::ofFile(localPath(item));
            if (hash) {
                manifest.set(item.remote, {*hash, item.listed->size, item.listed->time, item.stamp});
                adopted = true;
            }
        } else if (item.state == State::Unchanged && entry && item.hashed && item.hash == entry->hash
                   && item.stamp != entry->local) {
            // Hashed again because it was touched, or never stamped: the next plan need not.
            PublishManifest::Entry restamped = *entry;
            restamped.local = item.stamp;
            manifest.set(item.remote, restamped);
            adopted = true;
        }
        if (!item.checked)
            continue;
        if (item.state == State::ServerOnly)
            deletions.append(item);
        else if (!item.local.isEmpty())
            uploads.append(item);
    }
    if (adopted)
        manifest.write(scan.manifestPath, PublishManifest::Flush::Later);

    QList<QByteArray> folders; // missing on the server, each after the one that holds it
    for (const Item &item : uploads) {
        QList<QByteArray> chain;
        for (QByteArray folder = folderOf(item.remote); !folder.isEmpty(); folder = folderOf(folder))
            chain.prepend(folder);
        for (const QByteArray &folder : chain) {
            if (!scan.plan.remoteFolders.contains(folder) && !folders.contains(folder))
                folders.append(folder);
        }
    }
    qint64 total = 0;
    for (const Item &item : uploads)
        total += item.size;
    TransferProgress progress(context, static_cast<int>(uploads.size() + deletions.size()), total);
    Summary summary;
    for (const QByteArray &folder : folders) {
        context.checkStop();
        const QString shown = RemoteNames::decode(folder);
        progress.step(shown);
        const auto make = [&] {
            client.makeDir(root(folder));
            ++summary.folders;
        };
        const QString failed = shown + QStringLiteral(" をサーバーに作れませんでした");
        if (TransferJobs::attempt(context, summary, shown, failed, OnFailure::GoOn, make) == Attempt::Stopped)
            return summary;
    }

    bool renames = true;
    // The files just sent to the folder under way: its listing gives their times.
    QByteArray listedFolder;
    QList<QByteArray> unlisted;
    const auto recordListing = [&] {
        if (unlisted.isEmpty())
            return;
        const QByteArray prefix = listedFolder.isEmpty() ? QByteArray() : listedFolder + '/';
        for (const RemoteItem &item : RemoteListingParser::parse(client.list(root(listedFolder)))) {
            const QByteArray path = prefix + item.name;
            if (!unlisted.contains(path) || item.folder)
                continue;
            if (const PublishManifest::Entry *entry = manifest.find(path))
                manifest.set(path, {entry->hash, item.size, item.date.text(), entry->local});
        }
        // Written with the next file's record, or at the end: until then a stop loses the
        // times alone, and the sizes still tell the next plan whose copies these are.
        unlisted.clear();
    };
    const auto listingAttempt = [&] {
        // Without the times the manifest still holds the sizes: the next plan compares those.
        const QString shown = RemoteNames::decode(listedFolder);
        const QString failed = shown + QStringLiteral(" の一覧を読めませんでした");
        return TransferJobs::attempt(context, summary, shown, failed, OnFailure::GoOn, recordListing);
    };
    for (const Item &item : uploads) {
        const QByteArray folder = folderOf(item.remote);
        if (folder != listedFolder) {
            if (listingAttempt() == Attempt::Stopped)
                return summary;
            unlisted.clear(); // a folder whose listing failed keeps the sizes alone
            listedFolder = folder;
        }
        context.checkStop();
        const QString shown = item.shownPath();
        const std::optional<std::uint64_t> hash = ContentHash::ofFile(localPath(item));
        if (!hash) {
            summary.failed.append(
                TransferJobs::skippedEntry(shown, TransferJobs::localSkipReason(FolderWalk::LocalSkip::Unreadable)));
            continue;
        }
        const auto store = [&] {
            storeReplacing(client, bytes(localPath(item)), root, item.remote, renames, progress.forFile(shown));
        };
        const QString failed = shown + QStringLiteral(" をアップロードできませんでした");
        const Attempt result = TransferJobs::attempt(context, summary, shown, failed, OnFailure::GoOn, store);
        if (result == Attempt::Stopped)
            return summary;
        progress.fileDone(result == Attempt::Done ? item.size : 0);
        if (result != Attempt::Done)
            continue;
        manifest.set(item.remote, {*hash, item.size, QString(), item.stamp});
        manifest.write(scan.manifestPath, PublishManifest::Flush::Later);
        unlisted.append(item.remote);
        ++summary.files;
        summary.bytes += item.size;
    }
    if (listingAttempt() == Attempt::Stopped)
        return summary;

    // Deletions last, files before the folders that held them, deeper folders first.
    std::stable_sort(deletions.begin(), deletions.end(), [](const Item &a, const Item &b) {
        return a.folder != b.folder ? !a.folder : (a.folder && a.remote.count('/') > b.remote.count('/'));
    });
    for (const Item &item : deletions) {
        context.checkStop();
        const QString shown = item.shownPath();
        progress.step(shown);
        const auto remove = [&] {
            if (item.folder) {
                client.removeDir(root(item.remote));
                ++summary.folders;
            } else {
                client.deleteFile(root(item.remote));
                ++summary.deleted;
            }
        };
        const QString failed = shown + QStringLiteral(" を削除できませんでした");
        const Attempt result = TransferJobs::attempt(context, summary, shown, failed, OnFailure::GoOn, remove);
        if (result == Attempt::Stopped)
            return summary;
        progress.fileDone(0);
        if (result == Attempt::Done && manifest.find(item.remote)) {
            manifest.remove(item.remote);
            manifest.write(scan.manifestPath, PublishManifest::Flush::Later);
        }
    }
    if (!renames)
        summary.notes.append(noteOfRefusedRename());
    manifest.write(scan.manifestPath);
    return summary;
}

} // namespace PublishJobs
