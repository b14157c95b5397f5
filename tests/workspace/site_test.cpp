#include "workspace/site.h"

#include "common/ownfiles.h"
#include "common/previewcopyrecord.h"
#include "common/usererror.h"
#include "workspace/sitechoice.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A site folder made of raw paths (bytes, so names that are not UTF-8 can be made too).
class SiteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid() && work.isValid());
        qputenv("QZWEB_HOME", QFile::encodeName(home.path()));
        root = QFile::encodeName(work.path()) + "/site";
        ASSERT_EQ(::mkdir(root.constData(), 0700), 0);
    }
    void TearDown() override
    {
        qunsetenv("QZWEB_HOME");
        // Qt cannot name a file whose name is not UTF-8, so it could not remove it either.
        std::filesystem::remove_all(std::filesystem::path(root.toStdString()));
    }

    void make(const QByteArray &path, const QByteArray &bytes = "x")
    {
        const QByteArray full = root + '/' + path;
        for (qsizetype slash = full.indexOf('/', root.size() + 1); slash > 0; slash = full.indexOf('/', slash + 1))
            ::mkdir(full.left(slash).constData(), 0700);
        if (path.endsWith('/'))
            return;
        const int fd = ::open(full.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0) << full.constData();
        ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
        ::close(fd);
    }
    QString rootPath() const { return QFile::decodeName(root); }

    QTemporaryDir home;
    QTemporaryDir work;
    QByteArray root;
};

const QByteArray kCp932Page = "\x95\x5c\x8e\x86.htm"; // 表紙.htm in Shift_JIS: not UTF-8

TEST_F(SiteTest, EntriesHoldTheSitesFilesWithTheirKindsAndLeaveOutWhatIsNoPartOfIt)
{
    for (const QByteArray &path : {QByteArray("index.html"),
                                   QByteArray("about.HTM"),
                                   kCp932Page,
                                   QByteArray("img/a.gif"),
                                   QByteArray("img/b.PNG"),
                                   QByteArray("css/site.css"),
                                   QByteArray("js/app.js"),
                                   QByteArray("notes.txt"),
                                   QByteArray("empty/"),
                                   QByteArray(".htaccess"),
                                   QByteArray(".git/config"),
                                   QByteArray("Thumbs.db"),
                                   QByteArray("img/Thumbs.db"),
                                   QByteArray("drafts/old.html"),
                                   QByteArray("13_05_22.htm")})
        make(path);
    // The program's own preview copy; a page of the user's under such a name stays.
    PreviewCopyRecord running(OwnFiles::recordFolder());
    const QString copy = rootPath() + QStringLiteral("/13_05_23.htm");
    running.writing(copy, "<p>preview</p>");
    make("13_05_23.htm", "<p>preview</p>");
    // Links are never followed, to a folder or to a file.
    ASSERT_EQ(::symlink("/etc", (root + "/etc").constData()), 0);
    ASSERT_EQ(::symlink("index.html", (root + "/link.html").constData()), 0);

    const Site site(rootPath(), [](const QByteArray &path, bool folder) {
        return path.endsWith("Thumbs.db") || (folder && path == "drafts");
    });
    using K = SiteFileKind;
    const QList<Site::Entry> expected = {
        {"13_05_22.htm", K::Page},
        {"about.HTM", K::Page},
        {"css", K::Folder},
        {"empty", K::Folder},
        {"img", K::Folder},
        {"index.html", K::Page},
        {"js", K::Folder},
        {"notes.txt", K::Other},
        {kCp932Page, K::Page},
        {"css/site.css", K::StyleSheet},
        {"img/a.gif", K::Image},
        {"img/b.PNG", K::Image},
        {"js/app.js", K::Script},
    };
    EXPECT_EQ(site.entries(), expected);

    QList<Site::Entry> withHidden = site.entries(Site::HiddenFiles::Shown);
    EXPECT_TRUE(withHidden.contains(Site::Entry{".htaccess", K::Other}));
    EXPECT_TRUE(withHidden.contains(Site::Entry{".git/config", K::Other}));
    EXPECT_EQ(withHidden.size(), expected.size() + 3); // .git, .git/config, .htaccess

    QList<QByteArray> pages;
    for (const Site::Entry &page : site.pages())
        pages.append(page.path);
    EXPECT_EQ(pages, (QList<QByteArray>{"13_05_22.htm", "about.HTM", "index.html", kCp932Page}));
    EXPECT_EQ(site.namesNotUtf8({}), QList<QByteArray>{kCp932Page});
    EXPECT_TRUE(site.namesNotUtf8("img").isEmpty());
    EXPECT_EQ(Site::displayName(kCp932Page), QStringLiteral("表紙.htm"));
    EXPECT_EQ(Site::displayName("img/猫.gif"), QStringLiteral("img/猫.gif"));
}

TEST_F(SiteTest, AWalkThatCannotEndOrCannotStartIsRefusedInWords)
{
    make("a/b/c/page.html");
    make("one.html");
    make("two.html");
    const Site site(rootPath());
    EXPECT_EQ(site.entries().size(), 6);
    const struct
    {
        const char *what;
        Site::Limits limits;
        const char *text;
    } rows[] = {
        {"too many", {32, 4}, "多すぎます"},
        {"too deep", {2, 100}, "深すぎます"},
    };
    for (const auto &row : rows) {
        try {
            site.entries(Site::HiddenFiles::Left, row.limits);
            ADD_FAILURE() << row.what;
        } catch (const UserError &e) {
            EXPECT_TRUE(e.text().contains(QString::fromUtf8(row.text))) << e.text().toStdString();
        }
    }
    const Site gone(rootPath() + QStringLiteral("/missing"));
    EXPECT_THROW(gone.entries(), UserError);
    EXPECT_TRUE(Site().entries().isEmpty());
}

TEST_F(SiteTest, PathOfTellsWhereALocalPathLiesInTheSiteAndThroughLinks)
{
    make("img/a.gif");
    ASSERT_EQ(::symlink(root.constData(), (QFile::encodeName(work.path()) + "/linked").constData()), 0);
    make("../site2/page.html");
    const Site site(rootPath());
    const QString w = work.path();
    const struct
    {
        QString path;
        std::optional<QByteArray> inside;
    } rows[] = {
        {w + "/site/img/a.gif", QByteArray("img/a.gif")},
        {w + "/site/img/../index.html", QByteArray("index.html")},
        {w + "/site/new page.html", QByteArray("new page.html")}, // not there yet
        {w + "/site", QByteArray()},
        {w + "/site/", QByteArray()},
        {w + "/linked/img/a.gif", QByteArray("img/a.gif")},
        {w + "/linked", QByteArray()},
        {w + "/site2/page.html", std::nullopt}, // a sibling whose name starts alike
        {w, std::nullopt},
        {QString(), std::nullopt},
    };
    for (const auto &row : rows)
        EXPECT_EQ(site.pathOf(row.path), row.inside) << row.path.toStdString();
    EXPECT_EQ(site.localPath("img/a.gif"), w + QStringLiteral("/site/img/a.gif"));
    EXPECT_EQ(site.localPath({}), w + QStringLiteral("/site"));
    EXPECT_FALSE(Site().contains(w));
}

TEST(SiteRules, RelativePathsBetweenTheSitesFiles)
{
    const struct
    {
        QByteArray from;
        QByteArray to;
        QByteArray expected;
    } rows[] = {
        {"index.html", "img/a.gif", "img/a.gif"},
        {"index.html", "about.html", "about.html"},
        {"blog/2024/post.html", "img/a.gif", "../../img/a.gif"},
        {"blog/post.html", "blog/img/a.gif", "img/a.gif"},
        {"blog/post.html", "blogs/a.html", "../blogs/a.html"},
        {"blog/post.html", "blog", "./"},
        {"blog/post.html", "", "../"},
        {"index.html", "", "./"},
        {"a/b.html", "a/b.html", "b.html"},
        {"\x95\x5c/p.htm", "\x95\x5c\x8e\x86.gif", "../\x95\x5c\x8e\x86.gif"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(Site::relativePath(row.from, row.to), row.expected)
            << row.from.constData() << " → " << row.to.constData();
}

TEST(SiteRules, KindsComeFromTheExtensionInEitherCase)
{
    const struct
    {
        QByteArray name;
        SiteFileKind kind;
    } rows[] = {
        {"index.html", SiteFileKind::Page},
        {"INDEX.HTM", SiteFileKind::Page},
        {"a/b/c.shtml", SiteFileKind::Page},
        {"photo.JPEG", SiteFileKind::Image},
        {"logo.svg", SiteFileKind::Image},
        {"site.css", SiteFileKind::StyleSheet},
        {"app.js", SiteFileKind::Script},
        {"form.cgi", SiteFileKind::Script},
        {".htaccess", SiteFileKind::Other},
        {"README", SiteFileKind::Other},
        {"archive.tar.gz", SiteFileKind::Other},
        {"html", SiteFileKind::Other},
        {"dir.css/file", SiteFileKind::Other},
    };
    for (const auto &row : rows)
        EXPECT_EQ(SiteFileKinds::ofName(row.name), row.kind) << row.name.constData();
    EXPECT_EQ(SiteFileKinds::caption(SiteFileKind::StyleSheet), QStringLiteral("スタイルシート"));
}

TEST_F(SiteTest, TheSiteIsThePublishSourceHoldingThePageElseTheOpenedFolderElseThePagesFolder)
{
    make("blog/post.html");
    make("../opened/x.html");
    make("../elsewhere/page.html");
    const QString source = rootPath();
    const QString opened = work.path() + QStringLiteral("/opened");
    const QString inSite = source + QStringLiteral("/blog/post.html");
    const QString outside = work.path() + QStringLiteral("/elsewhere/page.html");
    const QString gone = work.path() + QStringLiteral("/gone");
    using O = SiteChoice::Origin;
    const struct
    {
        const char *what;
        QString source, opened, page;
        SiteChoice expected;
    } rows[] = {
        {"page in the source", source, opened, inSite, {source, O::PublishSource}},
        {"page outside the source", source, opened, outside, {opened, O::OpenedFolder}},
        {"no folder opened", source, {}, outside, {work.path() + QStringLiteral("/elsewhere"), O::PageFolder}},
        {"no source", {}, {}, inSite, {source + QStringLiteral("/blog"), O::PageFolder}},
        {"untitled page", source, {}, {}, {source, O::PublishSource}},
        {"untitled, a folder opened", source, opened, {}, {opened, O::OpenedFolder}},
        {"folders gone", gone, gone, {}, {}},
        {"nothing at all", {}, {}, {}, {}},
    };
    for (const auto &row : rows)
        EXPECT_EQ(SiteChoice::choose(row.source, row.opened, row.page), row.expected) << row.what;
}

} // namespace
