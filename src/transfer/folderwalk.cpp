#include "transfer/folderwalk.h"

#include "common/errortext.h"
#include "common/ownfiles.h"
#include "common/usererror.h"
#include "transfer/localfolderreader.h"
#include "transfer/remotenames.h"

#include <QFile>

#include <algorithm>
#include <optional>

namespace FolderWalk {

namespace {

void checkDepth(int depth, const Limits &limits)
{
    if (depth > limits.maxDepth)
        throw UserError(QStringLiteral("フォルダの階層が深すぎます（%1 階層を超えています）").arg(limits.maxDepth));
}

void checkEntries(qsizetype entries, const Limits &limits)
{
    if (entries > limits.maxEntries)
        throw UserError(QStringLiteral("フォルダの中身が多すぎます（%1 個を超えています）").arg(limits.maxEntries));
}

std::optional<LocalSkip> skipReason(LocalFolderReader::Kind kind)
{
    switch (kind) {
    case LocalFolderReader::Kind::Folder:
    case LocalFolderReader::Kind::File:
        return std::nullopt;
    case LocalFolderReader::Kind::Link:
        return LocalSkip::Link;
    case LocalFolderReader::Kind::Special:
        return LocalSkip::Special;
    case LocalFolderReader::Kind::Vanished:
        break;
    }
    return LocalSkip::Unreadable;
}

} // namespace

LocalResult walkLocalFolder(const QByteArray &top, const Limits &limits)
{
    LocalResult result;
    result.folders.append(top);
    QList<int> depths{0};
    qsizetype entries = 0;
    for (qsizetype i = 0; i < result.folders.size(); ++i) {
        const QByteArray folder = result.folders.at(i);
        LocalFolderReader reader(folder);
        if (!reader.isOpen()) {
            if (i == 0)
                throw UserError(QStringLiteral("%1 を読めません（%2）")
                                    .arg(RemoteNames::decode(folder), systemErrorText(reader.errorNumber())));
            result.skipped.append({folder, LocalSkip::Unreadable});
            continue;
        }
        QList<LocalFolderReader::Entry> found;
        while (std::optional<LocalFolderReader::Entry> entry = reader.next())
            found.append(std::move(*entry));
        if (reader.errorNumber() != 0)
            result.skipped.append({folder, LocalSkip::Unreadable});
        std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.name < b.name; });
        for (const LocalFolderReader::Entry &entry : found) {
            checkEntries(++entries, limits);
            const QByteArray path = folder + '/' + entry.name;
            if (const std::optional<LocalSkip> reason = skipReason(entry.kind)) {
                result.skipped.append({path, *reason});
            } else if (entry.kind == LocalFolderReader::Kind::Folder) {
                checkDepth(depths.at(i) + 1, limits);
                result.folders.append(path);
                depths.append(depths.at(i) + 1);
            } else if (!OwnFiles::isPreviewCopy(QFile::decodeName(path))) {
                result.files.append(path);
            }
        }
    }
    return result;
}

RemoteResult walkRemoteFolder(const QByteArray &top, const ListFolder &listFolder, int maxFolders, const Limits &limits)
{
    RemoteResult result;
    result.folders.append(top);
    QList<int> depths{0};
    qsizetype entries = 0;
    for (qsizetype i = 0; i < result.folders.size(); ++i) {
        if (i >= maxFolders)
            throw UserError(QStringLiteral("フォルダの数が多すぎます（%1 を超えています）").arg(maxFolders));
        const QByteArray folder = result.folders.at(i);
        for (const RemoteEntry &entry : listFolder(folder + '/')) {
            if (entry.name.isEmpty() || entry.name == "." || entry.name == "..")
                continue;
            checkEntries(++entries, limits);
            if (entry.isFolder) {
                checkDepth(depths.at(i) + 1, limits);
                result.folders.append(folder + '/' + entry.name);
                depths.append(depths.at(i) + 1);
            } else {
                result.files.append(folder + '/' + entry.name);
            }
        }
    }
    return result;
}

} // namespace FolderWalk
