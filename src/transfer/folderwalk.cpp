#include "transfer/folderwalk.h"

#include "common/usererror.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace FolderWalk {

namespace {

void checkDepth(int depth, const Limits &limits)
{
    if (depth > limits.maxDepth)
        throw UserError(QStringLiteral("フォルダの階層が深すぎます（%1 階層を超えています）。").arg(limits.maxDepth));
}

void checkEntries(qsizetype entries, const Limits &limits)
{
    if (entries > limits.maxEntries)
        throw UserError(QStringLiteral("フォルダの中身が多すぎます（%1 個を超えています）。").arg(limits.maxEntries));
}

enum class LocalKind {
    Folder,
    File,
    Other,
};

// lstat, not stat: what the entry is itself, never what a link points to.
LocalKind kindOf(const QString &path)
{
    struct stat status
    {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return LocalKind::Other;
    if (S_ISDIR(status.st_mode))
        return LocalKind::Folder;
    if (S_ISREG(status.st_mode))
        return LocalKind::File;
    return LocalKind::Other;
}

} // namespace

Result<QString> walkLocalFolder(const QString &top, QChar sep, const Limits &limits)
{
    Result<QString> result;
    result.folders.append(top);
    QList<int> depths{0};
    qsizetype entries = 0;
    for (qsizetype i = 0; i < result.folders.size(); ++i) {
        const QString folder = result.folders.at(i);
        const QStringList names =
            QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &name : names) {
            checkEntries(++entries, limits);
            const QString path = folder + sep + name;
            switch (kindOf(path)) {
            case LocalKind::Folder:
                checkDepth(depths.at(i) + 1, limits);
                result.folders.append(path);
                depths.append(depths.at(i) + 1);
                break;
            case LocalKind::File:
                result.files.append(path);
                break;
            case LocalKind::Other:
                result.skipped.append(path);
                break;
            }
        }
    }
    return result;
}

Result<QByteArray>
walkRemoteFolder(const QByteArray &top, const ListFolder &listFolder, int maxFolders, const Limits &limits)
{
    Result<QByteArray> result;
    result.folders.append(top);
    QList<int> depths{0};
    qsizetype entries = 0;
    for (qsizetype i = 0; i < result.folders.size(); ++i) {
        if (i >= maxFolders)
            throw UserError(QStringLiteral("フォルダの数が多すぎます（%1 を超えています）。").arg(maxFolders));
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
