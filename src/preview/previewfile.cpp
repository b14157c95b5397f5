#include "preview/previewfile.h"

namespace PreviewFile {

QString makeName(const QTime &time)
{
    return time.toString(QStringLiteral("HH:mm:ss")).replace(QLatin1Char(':'), QLatin1Char('_'))
         + QStringLiteral(".htm");
}

QString folderFor(const QString &previewDir, const QString &currentFolder, const QString &executableFolder)
{
    QString folder = previewDir;
    if (folder.isEmpty())
        folder = currentFolder;
    if (folder.isEmpty())
        folder = executableFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace PreviewFile
