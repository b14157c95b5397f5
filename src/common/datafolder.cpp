#include "common/datafolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace DataFolder {

QString choose(const QString &homeVariable, const QString &executableFolder, const QString &configFolder)
{
    if (!homeVariable.isEmpty())
        return homeVariable;
    if (!executableFolder.isEmpty() && QFileInfo::exists(QDir(executableFolder).filePath(QStringLiteral("QZWEB.ini"))))
        return executableFolder;
    return QDir(configFolder).filePath(QStringLiteral("QZWeb"));
}

QString path()
{
    const QString folder = choose(qEnvironmentVariable("QZWEB_HOME"),
                                  QCoreApplication::applicationDirPath(),
                                  QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    QDir().mkpath(folder);
    return folder;
}

QString filePath(const QString &fileName)
{
    return QDir(path()).filePath(fileName);
}

} // namespace DataFolder
