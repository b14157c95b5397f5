#include "transfer/publishjobs.h"

#include "common/usererror.h"
#include "transfer/contenthash.h"
#include "transfer/publishlistings.h"
#include "transfer/publishlock.h"
#include "transfer/publishsending.h"
#include "transfer/remoteerrors.h"
#include "transfer/remotejobs.h"
#include "transfer/remotenames.h"
#include "transfer/transferattempt.h"
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

// The files the last publish sent whose time it could not record (it was stopped, or its
// connection was lost) get the time the server lists now. Where MDTM gave their exact time
// then, MDTM tells now whether that is still the server's copy; where it is not, the listed
// time becomes the exact one, which the plan then finds changed on the server. Without
// either, the size alone decides, as it does in the plan. Returns whether a record changed.
bool settleUnrecorded(RemoteFiles &files,
                      const RemoteRoot &root,
                      PublishPlan::RemoteTree &remote,
                      PublishManifest &manifest,
                      const QList<QByteArray> &paths)
{
    bool changed = false;
    for (const QByteArray &path : paths) {
        const auto listed = remote.files.find(path);
        const PublishManifest::Entry *entry = manifest.find(path);
        if (listed == remote.files.end() || !entry || listed->size != entry->remoteSize)
            continue;
        // Only an exact time can be held against MDTM's.
        if (entry->remoteTime.exact && !listed->time.exact) {
            const std::optional<RemoteDate> now = files.exactTime(root(path));
            if (!now)
                continue;
            if (!now->matches(entry->remoteTime)) {
                listed->time = *now;
                continue;
            }
        }
        manifest.set(path, {entry->hash, entry->remoteSize, listed->time, entry->local});
        changed = true;
    }
    return changed;
}

// Paths whose record holds no time a listing of this way can be compared with.
QList<QByteArray> unrecorded(const PublishManifest &manifest, const PublishPlan::RemoteTree &remote)
{
    QList<QByteArray> paths;
    for (auto it = remote.files.cbegin(); it != remote.files.cend(); ++it) {
        const PublishManifest::Entry *entry = manifest.find(it.key());
        if (entry && it->time.day.isValid()
            && (!entry->remoteTime.day.isValid() || entry->remoteTime.exact != it->time.exact))
            paths.append(it.key());
    }
    return paths;
}

} // namespace

Scan scan(FtpJobContext &context, const Site &site)
{
    RemoteFiles &files = context.files();
    Scan result;
    const QString local = QDir::cleanPath(site.localFolder);
    if (local.isEmpty() || !QFileInfo(local).isDir())
        throw UserError(QStringLiteral("公開元のフォルダ %1 がありません").arg(site.localFolder));
    result.localRoot = QFile::encodeName(local);
    result.remoteRoot =
        fromBytes(site.remoteFolder.isEmpty() ? files.currentDir() : RemoteJobs::resolveDir(files, site.remoteFolder));
    result.manifestPath = PublishManifest::pathFor(site.host, site.user, result.remoteRoot);
    result.lock = std::make_shared<const PublishLock>(result.manifestPath);
    PublishManifest manifest;
    manifest.load(result.manifestPath);

    const RemoteRoot root(result.remoteRoot);
    files.startFullListings();
    PublishListings listings = PublishListings::read(
        context,
        [&root](const QByteArray &relative) { return root(relative); },
        site.exclusions,
        PublishPlan::maxRemoteFolders,
        manifest.folderCount());
    PublishPlan::RemoteTree remote = PublishPlan::readRemote(
        [&](const QByteArray &folder) {
            context.checkStop();
            context.reportProgress(0, 0, RemoteNames::decode(folder));
            std::optional<RemoteItems> listed = listings.take(folder);
            return listed ? *listed : files.listFully(root(folder));
        },
        site.exclusions);
    remote.hiddenShown = files.fullListingsShowHiddenNames();
    if (settleUnrecorded(files, root, remote, manifest, unrecorded(manifest, remote)))
        manifest.write(result.manifestPath, PublishManifest::Flush::Later);
    context.checkStop();
    const PublishPlan::LocalTree tree =
        PublishPlan::readLocal(result.localRoot, {}, PublishPlan::nowNs(), site.exclusions);
    result.plan = PublishPlan::compute(tree, remote, manifest, [&](const QByteArray &relative) {
        return ContentHash::ofFile(result.localRoot + '/' + relative);
    });
    result.plan.exclusionPatterns = site.exclusions.patterns();
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
        context.files().retrieve(
            root(item.remote), copy, true, static_cast<std::uint64_t>(item.listed->size), progress.forFile(shown));
        progress.fileDone(0);
        const std::optional<std::uint64_t> theirs = ContentHash::ofFile(QByteArray::fromStdString(copy));
        const std::optional<std::uint64_t> ours = ContentHash::ofFile(scan.localRoot + '/' + item.local);
        return theirs && ours && *theirs == *ours;
    });
}

Summary publish(FtpJobContext &context, const Scan &scan)
{
    RemoteFiles &files = context.files();
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
    files.resumeFullListings();
    PublishSending sending(context, scan.localRoot, scan.remoteRoot, scan.manifestPath, manifest, summary, progress);
    const auto finish = [&] {
        manifest.setNewFileMode(sending.newFileMode());
        summary.notes.append(sending.notes());
        manifest.write(scan.manifestPath);
        return summary;
    };
    const auto stopRequested = [&] {
        if (!context.stopRequested())
            return false;
        summary.cancelled = true;
        return true;
    };

    for (const QByteArray &folder : folders) {
        if (stopRequested())
            return finish();
        const QString shown = RemoteNames::decode(folder);
        progress.step(shown);
        const auto make = [&] {
            files.makeDir(root(folder));
            ++summary.folders;
        };
        const QString failed = shown + QStringLiteral(" をサーバーに作れませんでした");
        if (TransferJobs::attempt(context, summary, shown, failed, OnFailure::GoOn, make) == Attempt::Stopped)
            return finish();
    }
    if (!sending.send(uploads))
        return finish();

    // Deletions last, files before the folders that held them, deeper folders first.
    std::stable_sort(deletions.begin(), deletions.end(), [](const Item &a, const Item &b) {
        return a.folder != b.folder ? !a.folder : (a.folder && a.remote.count('/') > b.remote.count('/'));
    });
    for (const Item &item : deletions) {
        if (stopRequested())
            return finish();
        const QString shown = item.shownPath();
        progress.step(shown);
        const auto remove = [&] {
            if (item.folder) {
                files.removeDir(root(item.remote));
                ++summary.folders;
            } else {
                files.remove(root(item.remote));
                ++summary.deleted;
            }
        };
        const QString failed = shown + QStringLiteral(" を削除できませんでした");
        const Attempt result = TransferJobs::attempt(context, summary, shown, failed, OnFailure::GoOn, remove);
        if (result == Attempt::Stopped)
            return finish();
        progress.fileDone(0);
        if (result == Attempt::Done && manifest.find(item.remote)) {
            manifest.remove(item.remote);
            manifest.write(scan.manifestPath, PublishManifest::Flush::Later);
        }
    }
    return finish();
}

} // namespace PublishJobs
