#include "transfer/transferjobs.h"

#include "common/ownfiles.h"
#include "common/usererror.h"
#include "transfer/ftp/ftperrortext.h"
#include "transfer/ftpjobcontext.h"
#include "transfer/remoteerrors.h"
#include "transfer/remotenames.h"
#include "transfer/transferattempt.h"
#include "transfer/transferpaths.h"
#include "transfer/transferprogress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <sys/stat.h>

namespace TransferJobs {

namespace {

std::string bytes(const QByteArray &array)
{
    return std::string(array.constData(), static_cast<std::size_t>(array.size()));
}

std::string localBytes(const QString &path)
{
    return bytes(QFile::encodeName(path));
}

qint64 localSize(const QString &path)
{
    return QFileInfo(path).size();
}

qint64 localSize(const QByteArray &path)
{
    struct stat status
    {};
    return ::stat(path.constData(), &status) == 0 ? static_cast<qint64>(status.st_size) : 0;
}

// A local path in the file system's bytes, shown: each part by the rule of remote names.
QString shownLocal(const QByteArray &path)
{
    QStringList parts;
    for (const QByteArray &part : path.split('/'))
        parts.append(RemoteNames::decode(part));
    return parts.join(QLatin1Char('/'));
}

// The remote form of a relative local path: each part by RemoteNames::encodeLocal.
QByteArray remoteRelative(const QByteArray &localRelative, const std::vector<QByteArray> &folderNames)
{
    QList<QByteArray> parts;
    for (const QByteArray &part : localRelative.split('/'))
        parts.append(RemoteNames::encodeLocal(part, folderNames));
    return parts.join('/');
}

QString withSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// A listing line no real entry needs; what it named, if anything, cannot be told.
QString overlongLinesReason(std::size_t count)
{
    return QStringLiteral("一覧の長すぎる行 %1 行を読み飛ばしました").arg(count);
}

QString linkReason()
{
    return QStringLiteral("リンク");
}

QString uploadFailedText(const QString &name)
{
    return name + QStringLiteral(" をアップロードできませんでした");
}

QString downloadFailedText(const QString &name)
{
    return name + QStringLiteral(" をダウンロードできませんでした");
}

std::optional<std::uint64_t> expectedSize(qint64 listedSize, bool link)
{
    if (link || listedSize < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(listedSize);
}

QString badNameReason()
{
    return QStringLiteral("ファイル名に使えない名前");
}

// Asked for by name, so it is said why nothing went.
QString previewCopyReason()
{
    return QStringLiteral("QZWeb のプレビュー用の一時ファイル");
}

enum class LocalState {
    Missing,
    Folder,
    File,
    Link,
    Other,
};

LocalState localState(const QString &path)
{
    struct stat status
    {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return LocalState::Missing;
    if (S_ISLNK(status.st_mode))
        return LocalState::Link;
    if (S_ISDIR(status.st_mode))
        return LocalState::Folder;
    if (S_ISREG(status.st_mode))
        return LocalState::File;
    return LocalState::Other;
}

// Why a download may not write to the local path, if it may not: a link leads elsewhere (the
// folder download's rule, for single files too), and a folder or a device is no file to replace.
std::optional<QString> refusedTarget(const QString &path)
{
    switch (localState(path)) {
    case LocalState::Missing:
    case LocalState::File:
        return std::nullopt;
    case LocalState::Link:
        return linkReason();
    case LocalState::Folder:
    case LocalState::Other:
        break;
    }
    return QStringLiteral("同じ名前のフォルダなど");
}

// The local form of a remote path of plain names: each part decoded on its own, joined by "/".
QString localRelative(const QByteArray &remotePath)
{
    QStringList parts;
    for (const QByteArray &part : remotePath.split('/'))
        parts.append(RemoteNames::decode(part));
    return parts.join(QLatin1Char('/'));
}

// A last line of defence behind the name checks: the folder that will hold path really lies in
// base, links resolved.
void requireInside(const QString &base, const QString &path)
{
    const QString parent = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    if (parent != base && !parent.startsWith(withSeparator(base)))
        throw UserError(path + QStringLiteral("は作成できません"));
}

} // namespace

QString localSkipReason(FolderWalk::LocalSkip reason)
{
    switch (reason) {
    case FolderWalk::LocalSkip::Link:
        break;
    case FolderWalk::LocalSkip::Special:
        return QStringLiteral("ファイルでもフォルダでもないもの");
    case FolderWalk::LocalSkip::Unreadable:
        return QStringLiteral("読めません");
    }
    return linkReason();
}

QString skippedEntry(const QString &name, QString reason)
{
    reason.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return name + QStringLiteral("（") + reason + QStringLiteral("）");
}

bool isPlainRemoteName(const QByteArray &name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\0');
}

bool isPlainLocalName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}

Summary uploadFiles(FtpJobContext &context,
                    const QString &localBase,
                    const QList<QByteArray> &names,
                    const std::vector<QByteArray> &folderNames)
{
    const QByteArray base = QFile::encodeName(withSeparator(localBase));
    Summary summary;
    QList<QByteArray> sent;
    for (const QByteArray &name : names) {
        if (OwnFiles::isPreviewCopy(QFile::decodeName(base + name)))
            summary.skipped.append(skippedEntry(RemoteNames::decode(name), previewCopyReason()));
        else
            sent.append(name);
    }
    qint64 total = 0;
    for (const QByteArray &name : sent)
        total += localSize(base + name);
    TransferProgress progress(context, static_cast<int>(sent.size()), total);
    for (const QByteArray &name : sent) {
        context.checkStop();
        const QString shown = RemoteNames::decode(name);
        const auto store = [&] {
            const QByteArray remote = RemoteNames::encodeLocal(name, folderNames);
            context.files().store(bytes(base + name), bytes(remote), progress.forFile(shown));
        };
        if (attempt(context, summary, shown, uploadFailedText(shown), OnFailure::Stop, store) != Attempt::Done)
            return summary;
        const qint64 size = localSize(base + name);
        progress.fileDone(size);
        ++summary.files;
        summary.bytes += size;
    }
    return summary;
}

Summary downloadFiles(FtpJobContext &context, const QString &localBase, const QList<RemoteTarget> &items)
{
    const QString base = withSeparator(localBase);
    qint64 total = 0;
    for (const RemoteTarget &item : items)
        total += item.size;
    TransferProgress progress(context, static_cast<int>(items.size()), total);
    Summary summary;
    for (const RemoteTarget &item : items) {
        const QString name = RemoteNames::decode(item.name);
        if (!isPlainRemoteName(item.name) || !isPlainLocalName(name)) {
            summary.skipped.append(skippedEntry(name, badNameReason()));
            continue;
        }
        const QString target = base + name;
        if (const std::optional<QString> reason = refusedTarget(target)) {
            summary.skipped.append(skippedEntry(target, *reason));
            continue;
        }
        context.checkStop();
        context.files().retrieve(
            bytes(item.name), localBytes(target), true, expectedSize(item.size, item.link), progress.forFile(name));
        const qint64 size = localSize(target);
        progress.fileDone(size);
        ++summary.files;
        summary.bytes += size;
    }
    return summary;
}

bool remoteFolderExists(RemoteFiles &files, const QByteArray &rel)
{
    const QByteArray parent = TransferPaths::parentPath(rel, '/');
    const QByteArray last = rel.mid(parent.size());
    for (const RemoteItem &item : files.list(bytes(parent))) {
        if (item.folder && item.name == last)
            return true;
    }
    return false;
}

Summary uploadFolder(FtpJobContext &context,
                     const QString &localFolder,
                     const std::vector<QByteArray> &folderNames,
                     const FolderWalk::Limits &limits,
                     const QSet<QByteArray> &keptBack)
{
    const QString folder = QDir::cleanPath(localFolder);
    const QString prefixText = TransferPaths::parentPath(withSeparator(folder), u'/');
    // The root has no name of its own to give the copy, and is never a site anyway.
    if (prefixText.isEmpty())
        throw UserError(
            QStringLiteral("%1 はアップロードできません。アップロードするフォルダを選んでください").arg(folder));
    const qsizetype prefix = QFile::encodeName(prefixText).size();
    FolderWalk::LocalResult walk = FolderWalk::walkLocalFolder(QFile::encodeName(folder), limits);
    walk.files.removeIf([&](const QByteArray &file) { return keptBack.contains(file); });
    Summary summary;
    for (const FolderWalk::SkippedEntry &entry : walk.skipped)
        summary.skipped.append(skippedEntry(shownLocal(entry.path.mid(prefix)), localSkipReason(entry.reason)));

    qint64 total = 0;
    for (const QByteArray &file : walk.files)
        total += localSize(file);
    TransferProgress progress(context, static_cast<int>(walk.files.size()), total);
    RemoteFiles &files = context.files();
    for (const QByteArray &entry : walk.folders) {
        context.checkStop();
        const QByteArray relative = entry.mid(prefix);
        const QString shown = shownLocal(relative);
        progress.step(shown);
        const auto make = [&] {
            const QByteArray remote = remoteRelative(relative, folderNames);
            if (!remoteFolderExists(files, remote)) {
                files.makeDir(bytes(remote));
                ++summary.folders;
            }
        };
        const QString failed = shown + QStringLiteral(" をサーバーに作れませんでした");
        if (attempt(context, summary, shown, failed, OnFailure::GoOn, make) == Attempt::Stopped)
            return summary;
    }
    for (const QByteArray &file : walk.files) {
        context.checkStop();
        const QByteArray relative = file.mid(prefix);
        const QString shown = shownLocal(relative);
        const auto store = [&] {
            files.store(bytes(file), bytes(remoteRelative(relative, folderNames)), progress.forFile(shown));
        };
        const Attempt result = attempt(context, summary, shown, uploadFailedText(shown), OnFailure::GoOn, store);
        if (result == Attempt::Stopped)
            return summary;
        const qint64 size = result == Attempt::Done ? localSize(file) : 0;
        progress.fileDone(size);
        if (result == Attempt::Done) {
            ++summary.files;
            summary.bytes += size;
        }
    }
    return summary;
}

Summary downloadFolder(FtpJobContext &context,
                       const QString &localBase,
                       const QByteArray &top,
                       const FolderWalk::Limits &limits)
{
    if (!isPlainRemoteName(top) || !isPlainLocalName(RemoteNames::decode(top)))
        throw UserError(RemoteNames::decode(top) + QStringLiteral(" はフォルダ名に使えません"));
    const QString base = QFileInfo(localBase).canonicalFilePath();
    if (base.isEmpty())
        throw UserError(localBase + QStringLiteral(" がありません"));

    RemoteFiles &files = context.files();
    Summary summary;
    QHash<QByteArray, qint64> sizes;
    const FolderWalk::ListFolder list = [&](const QByteArray &path) {
        context.checkStop();
        context.reportProgress(0, 0, RemoteNames::decode(path));
        QList<FolderWalk::RemoteEntry> entries;
        RemoteItems listed;
        RemoteFiles::Skipped overlong;
        try {
            listed = files.list(bytes(path), {}, &overlong);
        } catch (const RemoteCancelled &) {
            throw;
        } catch (const std::exception &error) {
            // One folder the server will not list costs its own contents, not the rest.
            if (!files.isConnected())
                throw;
            summary.failed.append(skippedEntry(RemoteNames::decode(path), ftpErrorText(error)));
            return entries;
        }
        if (overlong.count > 0)
            summary.skipped.append(skippedEntry(RemoteNames::decode(path), overlongLinesReason(overlong.count)));
        for (const RemoteItem &item : listed) {
            if (item.name == "." || item.name == "..")
                continue;
            const QString shown = RemoteNames::decode(path + item.name);
            // A link may lead anywhere on the server, back up the tree included.
            if (item.isLink()) {
                summary.skipped.append(skippedEntry(shown, linkReason()));
                continue;
            }
            if (!isPlainRemoteName(item.name) || !isPlainLocalName(RemoteNames::decode(item.name))) {
                summary.skipped.append(skippedEntry(shown, badNameReason()));
                continue;
            }
            sizes.insert(path + item.name, item.size);
            entries.append({item.name, item.folder});
        }
        return entries;
    };
    const FolderWalk::RemoteResult walk = FolderWalk::walkRemoteFolder(top, list, 100000, limits);

    // Folders that are links (or in one) are left alone with everything below them.
    QSet<QByteArray> refused;
    const auto inRefused = [&refused](const QByteArray &path) {
        const QByteArray parent = TransferPaths::parentPath(path, '/');
        return !parent.isEmpty() && refused.contains(parent.chopped(1));
    };
    for (const QByteArray &folder : walk.folders) {
        const QString target = base + QLatin1Char('/') + localRelative(folder);
        if (inRefused(folder)) {
            refused.insert(folder);
            continue;
        }
        switch (localState(target)) {
        case LocalState::Folder:
            break;
        case LocalState::Link:
            summary.skipped.append(skippedEntry(target, linkReason()));
            refused.insert(folder);
            continue;
        case LocalState::Missing:
            requireInside(base, target);
            if (QDir().mkdir(target)) {
                ++summary.folders;
                break;
            }
            [[fallthrough]];
        case LocalState::File:
        case LocalState::Other:
            throw UserError(target + QStringLiteral("は作成できません"));
        }
    }

    qint64 total = 0;
    for (const QByteArray &file : walk.files)
        total += sizes.value(file);
    TransferProgress progress(context, static_cast<int>(walk.files.size()), total);
    for (const QByteArray &file : walk.files) {
        if (inRefused(file))
            continue;
        const QString rel = localRelative(file);
        const QString target = base + QLatin1Char('/') + rel;
        if (const std::optional<QString> reason = refusedTarget(target)) {
            summary.skipped.append(skippedEntry(target, *reason));
            continue;
        }
        requireInside(base, target);
        context.checkStop();
        const auto retrieve = [&] {
            files.retrieve(
                bytes(file), localBytes(target), true, expectedSize(sizes.value(file), false), progress.forFile(rel));
        };
        const Attempt result = attempt(context, summary, rel, downloadFailedText(rel), OnFailure::GoOn, retrieve);
        if (result == Attempt::Stopped)
            return summary;
        const qint64 size = result == Attempt::Done ? localSize(target) : 0;
        progress.fileDone(size);
        if (result == Attempt::Done) {
            ++summary.files;
            summary.bytes += size;
        }
    }
    return summary;
}

Summary deleteFiles(FtpJobContext &context, const QList<QByteArray> &names)
{
    TransferProgress progress(context, static_cast<int>(names.size()), 0);
    Summary summary;
    for (const QByteArray &name : names) {
        context.checkStop();
        progress.step(RemoteNames::decode(name));
        context.files().remove(bytes(name));
        progress.fileDone(0);
        ++summary.files;
    }
    return summary;
}

Summary deleteFolder(FtpJobContext &context, const QByteArray &top, const FolderWalk::Limits &limits)
{
    if (!isPlainRemoteName(top))
        throw UserError(RemoteNames::decode(top) + QStringLiteral(" は削除できません"));
    RemoteFiles &files = context.files();
    Summary summary;
    const FolderWalk::ListFolder list = [&](const QByteArray &path) {
        context.checkStop();
        context.reportProgress(0, 0, RemoteNames::decode(path));
        QList<FolderWalk::RemoteEntry> entries;
        for (const RemoteItem &item : files.list(bytes(path))) {
            if (item.name == "." || item.name == "..")
                continue;
            if (!isPlainRemoteName(item.name)) {
                summary.skipped.append(skippedEntry(RemoteNames::decode(path + item.name), badNameReason()));
                continue;
            }
            // A link is removed as the link it is: DELE, never a walk into where it points.
            entries.append({item.name, item.folder});
        }
        return entries;
    };
    const FolderWalk::RemoteResult walk = FolderWalk::walkRemoteFolder(top, list, 100000, limits);
    TransferProgress progress(context, static_cast<int>(walk.files.size() + walk.folders.size()), 0);
    for (const QByteArray &file : walk.files) {
        context.checkStop();
        progress.step(RemoteNames::decode(file));
        files.remove(bytes(file));
        progress.fileDone(0);
        ++summary.files;
    }
    for (qsizetype i = walk.folders.size() - 1; i >= 0; --i) {
        context.checkStop();
        progress.step(RemoteNames::decode(walk.folders.at(i)));
        files.removeDir(bytes(walk.folders.at(i)));
        progress.fileDone(0);
        ++summary.folders;
    }
    return summary;
}

QString describeTransfer(const Summary &summary)
{
    QString text = QStringLiteral("%1 個のファイルを転送しました").arg(summary.files);
    if (summary.deleted > 0)
        text += QStringLiteral("（%1 個は削除しました）").arg(summary.deleted);
    if (!summary.failed.isEmpty())
        text += QStringLiteral("（%1 個は転送できませんでした）").arg(summary.failed.size());
    if (!summary.skipped.isEmpty())
        text += QStringLiteral("（%1 個は飛ばしました）").arg(summary.skipped.size());
    return text;
}

QString describeDeletion(const Summary &summary)
{
    QString text =
        QStringLiteral("%1 個のファイルと %2 個のフォルダを削除しました").arg(summary.files).arg(summary.folders);
    if (!summary.skipped.isEmpty())
        text += QStringLiteral("（%1 個は飛ばしました）").arg(summary.skipped.size());
    return text;
}

} // namespace TransferJobs
