#include "common/datafolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace DataFolder {

namespace {

QString chooseFolder()
{
    const QString home = qEnvironmentVariable("QZWEB_HOME");
    if (!home.isEmpty())
        return home;
    const QString appDir = QCoreApplication::applicationDirPath();
    if (!appDir.isEmpty() && QFileInfo::exists(QDir(appDir).filePath(QStringLiteral("QZWEB.ini"))))
        return appDir;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("QZWeb"));
}

} // namespace

QString path()
{
    const QString folder = chooseFolder();
    QDir().mkpath(folder);
    return folder;
}

QString filePath(const QString &fileName)
{
    return QDir(path()).filePath(fileName);
}

} // namespace DataFolder
