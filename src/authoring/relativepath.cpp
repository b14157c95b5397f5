#include "authoring/relativepath.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

// The drive part: "C:" or "\\server\share" (with the style's separator); empty when none.
QString drivePart(const QString &path, QChar separator)
{
    if (path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter())
        return path.left(2);
    if (path.size() >= 2 && path.at(0) == separator && path.at(1) == separator) {
        const qsizetype serverEnd = path.indexOf(separator, 2);
        if (serverEnd < 0)
            return path;
        const qsizetype shareEnd = path.indexOf(separator, serverEnd + 1);
        return shareEnd < 0 ? path : path.left(shareEnd);
    }
    return {};
}

QStringList folderNames(const QString &folderPath, QChar separator)
{
    return folderPath.split(separator, Qt::SkipEmptyParts);
}

QString withSlashes(QString path, QChar separator)
{
    return path.replace(separator, QLatin1Char('/'));
}

} // namespace

PathStyle PathStyle::native()
{
#ifdef Q_OS_WIN
    return windows();
#else
    return posix();
#endif
}

QString physicalPath(const QString &file)
{
    const QFileInfo info(file);
    const QString folder = QDir(info.absolutePath()).canonicalPath();
    return folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
}

QString withTrailingSeparator(const QString &folder, QChar separator)
{
    return folder.endsWith(separator) ? folder : folder + separator;
}

QString relativeFileName(const QString &baseFolder, const QString &filePath, const PathStyle &style)
{
    const QChar sep = style.separator;
    const QString baseDrive = drivePart(baseFolder, sep);
    const QString fileDrive = drivePart(filePath, sep);
    if (baseDrive.compare(fileDrive, Qt::CaseInsensitive) != 0)
        return withSlashes(filePath, sep);

    const qsizetype nameStart = filePath.lastIndexOf(sep) + 1;
    const QString fileName = filePath.mid(nameStart);
    const QStringList baseNames = folderNames(baseFolder.mid(baseDrive.size()), sep);
    const QStringList fileNames = folderNames(filePath.mid(fileDrive.size(), nameStart - fileDrive.size()), sep);

    qsizetype common = 0;
    while (common < baseNames.size() && common < fileNames.size()
           && baseNames.at(common).compare(fileNames.at(common), style.caseSensitivity) == 0)
        ++common;

    QString relative;
    for (qsizetype i = common; i < baseNames.size(); ++i)
        relative += QLatin1String("..") + sep;
    for (qsizetype i = common; i < fileNames.size(); ++i)
        relative += fileNames.at(i) + sep;
    relative += fileName;
    return withSlashes(relative, sep);
}
