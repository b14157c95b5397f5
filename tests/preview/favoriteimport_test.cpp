#include "preview/favoriteimport.h"

#include "common/textcodec.h"
#include "common/usererror.h"
#include "preview/webliststore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
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
    QStringList scan() const { return FavoriteImport::scan(root.path()).lines; }
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
    EXPECT_TRUE(FavoriteImport::scan(root.filePath(QStringLiteral("missing"))).lines.isEmpty());
    EXPECT_TRUE(FavoriteImport::scan(QString()).lines.isEmpty());
    put(QStringLiteral("plain-file"), "x");
    EXPECT_TRUE(FavoriteImport::scan(root.filePath(QStringLiteral("plain-file"))).lines.isEmpty());
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

namespace {

// The current folder for one scope: a relative Favorites folder is taken from it.
class CurrentFolder
{
public:
    explicit CurrentFolder(const QString &path) : m_saved(QDir::currentPath()) { QDir::setCurrent(path); }
    ~CurrentFolder() { QDir::setCurrent(m_saved); }
    CurrentFolder(const CurrentFolder &) = delete;
    CurrentFolder &operator=(const CurrentFolder &) = delete;

private:
    QString m_saved;
};

} // namespace

TEST_F(FavoriteImportTest, TheWalkStaysInsideTheTreeAndWithinItsBounds)
{
    // A favourite beside a secret the walk must never reach.
    QTemporaryDir outside;
    ASSERT_TRUE(QDir().mkpath(outside.filePath(QStringLiteral("private"))));
    QFile secret(outside.filePath(QStringLiteral("private/key.url")));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("[x]\r\nsecret=hunter2\r\n");
    secret.close();
    const QString a = line(QStringLiteral("Root"), QStringLiteral("A.url"), QStringLiteral("http://a/"));
    const QString b = line(QStringLiteral("News"), QStringLiteral("B.url"), QStringLiteral("http://b/"));
    auto link = [this](const QString &target, const QString &name) { return QFile::link(target, root.filePath(name)); };

    using Setup = std::function<bool()>;
    const struct
    {
        const char *name;
        Setup setup;
        FavoriteImport::Limits limits;
        QStringList lines;
        bool complete;
    } cases[] = {
        {"no links", [] { return true; }, {}, {a, b}, true},
        {"a folder link out of the tree",
         [&] { return link(outside.filePath(QStringLiteral("private")), QStringLiteral("Out")); },
         {},
         {a, b},
         true},
        {"a file link out of the tree",
         [&] { return link(outside.filePath(QStringLiteral("private/key.url")), QStringLiteral("Key.url")); },
         {},
         {a, b},
         true},
        {"a link to the whole system",
         [&] { return link(QStringLiteral("/"), QStringLiteral("Everything")); },
         {},
         {a, b},
         true},
        {"a folder link inside the tree: the folder is read once, as itself",
         [&] { return link(root.filePath(QStringLiteral("News")), QStringLiteral("Again")); },
         {},
         {a, b},
         true},
        {"a file link inside the tree is a favourite",
         [&] { return link(root.filePath(QStringLiteral("News/B.url")), QStringLiteral("C.url")); },
         {},
         {a, line(QStringLiteral("Root"), QStringLiteral("C.url"), QStringLiteral("http://b/")), b},
         true},
        {"folders deeper than the limit are left out",
         [&] {
             shortcut(QStringLiteral("News/Local/Town/D.url"), "http://d/");
             return true;
         },
         {2, 100},
         {a, b},
         false},
        {"no more entries than the limit", [] { return true; }, {16, 2}, {a}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(root.path()).removeRecursively();
        QDir().mkpath(root.path());
        shortcut(QStringLiteral("A.url"), "http://a/");
        shortcut(QStringLiteral("News/B.url"), "http://b/");
        ASSERT_TRUE(c.setup());

        const FavoriteImport::Result absolute = FavoriteImport::scan(root.path(), c.limits);
        EXPECT_EQ(absolute.lines, c.lines);
        EXPECT_EQ(absolute.complete, c.complete);
        // The same tree named from the folder above it.
        CurrentFolder above(QFileInfo(root.path()).path());
        const FavoriteImport::Result relative = FavoriteImport::scan(QFileInfo(root.path()).fileName(), c.limits);
        EXPECT_EQ(relative.lines, c.lines);
    }
}
