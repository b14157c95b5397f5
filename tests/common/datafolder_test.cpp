#include "common/datafolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void touch(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

TEST(DataFolder, TheVariableWinsThenAPortableInstallThenTheUsersConfigFolder)
{
    QTemporaryDir portable;
    QTemporaryDir plain;
    ASSERT_TRUE(portable.isValid() && plain.isValid());
    touch(QDir(portable.path()).filePath(QStringLiteral("QZWEB.ini")));
    const QString config = QStringLiteral("/home/u/.config");

    const struct
    {
        QString home;
        QString executableFolder;
        QString expected;
    } cases[] = {
        {QStringLiteral("/data/qz"), portable.path(), QStringLiteral("/data/qz")},
        {QStringLiteral("/data/qz"), plain.path(), QStringLiteral("/data/qz")},
        {QString(), portable.path(), portable.path()},
        {QString(), plain.path(), QStringLiteral("/home/u/.config/QZWeb")},
        {QString(), QString(), QStringLiteral("/home/u/.config/QZWeb")},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(DataFolder::choose(c.home, c.executableFolder, config), c.expected)
            << c.home.toStdString() << " | " << c.executableFolder.toStdString();
    }
}

// A file named QZWEB.ini is what marks a portable install; a folder of that name does not hold
// the list, and neither does a differently spelt file on a case-sensitive file system.
TEST(DataFolder, OnlyTheExactListFileMarksAPortableInstall)
{
    QTemporaryDir lowerCase;
    ASSERT_TRUE(lowerCase.isValid());
    touch(QDir(lowerCase.path()).filePath(QStringLiteral("qzweb.ini")));
    EXPECT_EQ(DataFolder::choose(QString(), lowerCase.path(), QStringLiteral("/c")), QStringLiteral("/c/QZWeb"));
}

TEST(DataFolder, TheChosenFolderIsCreatedOnFirstUse)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString home = QDir(scratch.path()).filePath(QStringLiteral("not/yet/there"));
    const QByteArray saved = qgetenv("QZWEB_HOME");
    qputenv("QZWEB_HOME", home.toLocal8Bit());
    EXPECT_EQ(DataFolder::filePath(QStringLiteral("RODav.ini")), QDir(home).filePath(QStringLiteral("RODav.ini")));
    EXPECT_TRUE(QFileInfo(home).isDir());

    // Without the variable (and no list file beside this test program) the user's configuration
    // folder is used, as the desktop's settings name it.
    const QString config = QDir(scratch.path()).filePath(QStringLiteral("config"));
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qunsetenv("QZWEB_HOME");
    qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
    EXPECT_EQ(DataFolder::path(), QDir(config).filePath(QStringLiteral("QZWeb")));
    EXPECT_TRUE(QFileInfo(QDir(config).filePath(QStringLiteral("QZWeb"))).isDir());
    qputenv("XDG_CONFIG_HOME", savedConfig);
    if (!saved.isEmpty())
        qputenv("QZWEB_HOME", saved);
}

} // namespace
