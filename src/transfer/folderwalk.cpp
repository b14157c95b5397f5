#include "transfer/folderwalk.h"

#include "common/usererror.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace FolderWalk {

Result<QString> walkLocalFolder(const QString &top, QChar sep)
{
    Result<QString> result;
    result.folders.append(top);
    QSet<QString> seen{QFileInfo(top).canonicalFilePath()};
    for (qsizetype i = 0; i < result.folders.size(); ++i) {
        const QString folder = result.folders.at(i);
        const QFileInfoList entries = QDir(folder).entryInfoList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo &entry : entries) {
            const QString path = folder + sep + entry.fileName();
            if (!entry.isDir()) {
                result.files.append(path);
                continue;
            }
            const QString canonical = entry.canonicalFilePath();
            if (canonical.isEmpty() || seen.contains(canonical))
                continue;
            seen.insert(canonical);
            result.folders.append(path);
        }
    }
    return result;
}

Result<QByteArray> walkRemoteFolder(const QByteArray &top, const ListFolder &listFolder, int maxFolders)
{
    Result<QByteArray> result;
    result.folders.append(top);
    for (qsizetype i = 0; i < result.folders.size(); ++i) {
        if (i >= maxFolders)
            throw UserError(QStringLiteral("フォルダの数が多すぎます（%1 を超えています）。").arg(maxFolders));
        const QByteArray folder = result.folders.at(i);
        for (const RemoteEntry &entry : listFolder(folder + '/')) {
            if (entry.name.isEmpty() || entry.name == "." || entry.name == "..")
                continue;
            (entry.isFolder ? result.folders : result.files).append(folder + '/' + entry.name);
        }
    }
    return result;
}

} // namespace FolderWalk
