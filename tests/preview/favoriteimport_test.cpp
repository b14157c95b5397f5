#include "preview/favoriteimport.h"

#include "common/textcodec.h"
#include "common/usererror.h"
#include "preview/webliststore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class FavoriteImportTest : public ::testing::Test
{
protected:
    // A file below the Favorites root, its folders made as needed.
    void put(const QString &relative, const QByteArray &bytes)
    {
        const QString path = root.filePath(relative);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void shortcut(const QString &relative, const QByteArray &address)
    {
        put(relative, "[InternetShortcut]\r\nURL=" + address + "\r\n");
    }
    QStringList scan() const { return FavoriteImport::scan(root.path()); }
    static QString line(const QString &category, const QString &title, const QString &address)
    {
        return WebListStore::line(category, title, address);
    }

    QTemporaryDir root;
};

} // namespace

TEST(FavoriteImport, TheFolderIsTheVariableElseFavoritesInTheHomeFolder)
{
    EXPECT_EQ(FavoriteImport::chooseFolder(QStringLiteral("/data/fav"), QStringLiteral("/home/u")),
              QStringLiteral("/data/fav"));
    EXPECT_EQ(FavoriteImport::chooseFolder(QString(), QStringLiteral("/home/u")), QStringLiteral("/home/u/Favorites"));
}

TEST(FavoriteImport, CategoryIsTheFolderBelowTheRoot)
{
    EXPECT_EQ(FavoriteImport::categoryFor(QStringLiteral("/f"), QStringLiteral("/f")), QStringLiteral("Root"));
    EXPECT_EQ(FavoriteImport::categoryFor(QStringLiteral("/f/"), QStringLiteral("/f")), QStringLiteral("Root"));
    EXPECT_EQ(FavoriteImport::categoryFor(QStringLiteral("/f"), QStringLiteral("/f/News")), QStringLiteral("News"));
    EXPECT_EQ(FavoriteImport::categoryFor(QStringLiteral("/f"), QStringLiteral("/f/News/地域")),
              QStringLiteral("News") + QDir::separator() + QStringLiteral("地域"));
}

TEST(FavoriteImport, TheAddressIsTheSecondLineAfterItsFirstEquals)
{
    const struct
    {
        QString text;
        QString address;
    } cases[] = {
        {QStringLiteral("[InternetShortcut]\r\nURL=http://a/\r\n"), QStringLiteral("http://a/")},
        {QStringLiteral("[InternetShortcut]\r\nURL=http://a/?x=1&y=2\r\n"), QStringLiteral("http://a/?x=1&y=2")},
        {QStringLiteral("[x]\nno equals sign\nURL=later"), QStringLiteral("no equals sign")},
        {QStringLiteral("[x]\rURL=cr only\r"), QStringLiteral("cr only")},
        {QStringLiteral("[x]\r\n"), QString()},
        {QStringLiteral("only one line"), QString()},
        {QString(), QString()},
        {QStringLiteral("[x]\r\n=\r\n"), QString()},
        {QStringLiteral("\x89PNG\r\nab=c") + QChar(0) + QStringLiteral("d\r\n"), QStringLiteral("c")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FavoriteImport::addressOf(c.text), c.address) << c.text.toStdString();
}

TEST_F(FavoriteImportTest, RootFilesFirstThenEachSubFolderInTheOrderFound)
{
    shortcut(QStringLiteral("News/B.url"), "http://b/");
    shortcut(QStringLiteral("A.url"), "http://a/");
    shortcut(QStringLiteral("News/Local/D.url"), "http://d/");
    shortcut(QStringLiteral("Zeta/C.url"), "http://c/?q=1=2");
    put(QStringLiteral("desktop.ini"), "[.ShellClassInfo]\r\nLocalizedResourceName=@shell32.dll,-12693\r\n");
    shortcut(QStringLiteral(".hidden.url"), "http://h/");

    const QString sep = QDir::separator();
    EXPECT_EQ(scan(),
              (QStringList{
                  line(QStringLiteral("Root"), QStringLiteral(".hidden.url"), QStringLiteral("http://h/")),
                  line(QStringLiteral("Root"), QStringLiteral("A.url"), QStringLiteral("http://a/")),
                  // Any file is a favourite, whatever its second line holds.
                  line(QStringLiteral("Root"), QStringLiteral("desktop.ini"), QStringLiteral("@shell32.dll,-12693")),
                  line(QStringLiteral("News"), QStringLiteral("B.url"), QStringLiteral("http://b/")),
                  // The second "=" belongs to the address.
                  line(QStringLiteral("Zeta"), QStringLiteral("C.url"), QStringLiteral("http://c/?q=1=2")),
                  // Found while News was read, so after every folder found before it.
                  line(QStringLiteral("News") + sep + QStringLiteral("Local"),
                       QStringLiteral("D.url"),
                       QStringLiteral("http://d/")),
              }));
}

TEST_F(FavoriteImportTest, ShiftJisShortcutsAndJapaneseNames)
{
    put(QStringLiteral("日本語.url"),
        TextCodec::encodeListFile(QStringLiteral("[InternetShortcut]\r\nURL=http://例え.jp/ページ\r\n")));
    EXPECT_EQ(scan(),
              QStringList{
                  line(QStringLiteral("Root"), QStringLiteral("日本語.url"), QStringLiteral("http://例え.jp/ページ"))});
}

TEST_F(FavoriteImportTest, NoFolderOrAnEmptyOneGivesNoLines)
{
    EXPECT_TRUE(scan().isEmpty());
    EXPECT_TRUE(FavoriteImport::scan(root.filePath(QStringLiteral("missing"))).isEmpty());
    EXPECT_TRUE(FavoriteImport::scan(QString()).isEmpty());
    put(QStringLiteral("plain-file"), "x");
    EXPECT_TRUE(FavoriteImport::scan(root.filePath(QStringLiteral("plain-file"))).isEmpty());
}

TEST_F(FavoriteImportTest, AFileThatCannotBeReadStopsTheWholeImport)
{
    shortcut(QStringLiteral("A.url"), "http://a/");
    ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("gone")), root.filePath(QStringLiteral("B.url"))));
    try {
        scan();
        ADD_FAILURE() << "an unreadable file was passed over";
    } catch (const UserError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("B.url"))) << e.text().toStdString();
    }
}

TEST_F(FavoriteImportTest, ALinkBackUpTheTreeAndAPipeEndTheWalk)
{
    shortcut(QStringLiteral("News/B.url"), "http://b/");
    ASSERT_TRUE(QFile::link(root.path(), root.filePath(QStringLiteral("News/up"))));
    ASSERT_EQ(::mkfifo(QFile::encodeName(root.filePath(QStringLiteral("pipe"))).constData(), 0600), 0);
    EXPECT_EQ(scan(), QStringList{line(QStringLiteral("News"), QStringLiteral("B.url"), QStringLiteral("http://b/"))});
}
