// A rename or move in a site the test builds, without windows: every page's bytes after the move
// against a reference (a Shift_JIS page and a UTF-8 page among them), 元に戻す putting the files
// and their bytes back, and the next 更新分を公開 seeing the rename as a deletion and a new file.
#include "app/sitemoveapply.h"
#include "app/sitemoveplan.h"
#include "transfer/contenthash.h"
#include "transfer/publishplan.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace {

using Files = std::map<QByteArray, QByteArray>; // path inside the site: bytes

// 日記 and 猫 in Shift_JIS.
const QByteArray kSjisEntry = "<meta charset=\"Shift_JIS\">\r\n<h1>\x93\xfa\x8b\x4c</h1>\r\n"
                              "<a href=\"../about.html\">\x94\x4c</a> <a href=\"../index.html#top\">top</a>\r\n"
                              "<img src=\"/img/cat.gif\">\r\n";

const Files kSite = {
    {"index.html",
     QStringLiteral("<meta charset=\"utf-8\">\n<a id=\"top\" href=\"about.html?x=1\">猫</a>\n"
                    "<img src=\"img/cat.gif\" srcset=\"img/cat.gif 1x, img/cat2x.gif 2x\">\n"
                    "<a href=\" blog/entry.html#c \">日記</a> <a href=\"https://example.com/about.html\">web</a>\n"
                    "<div style=\"background: url('img/bg.png')\"></div>\n")
         .toUtf8()},
    {"about.html", "<a href=\"index.html\">top</a><img src=\"img/cat.gif\">"},
    {"blog/entry.html", kSjisEntry},
    {"style.css", "body { background: url(img/bg.png) }\n"},
    {"img/cat.gif", "GIF89a"},
    {"img/cat2x.gif", "GIF89a2"},
    {"img/bg.png", "PNG"},
    {"old/", {}},
};

QByteArray replaced(QByteArray bytes, const QList<std::pair<QByteArray, QByteArray>> &edits)
{
    for (const auto &[from, to] : edits)
        bytes.replace(from, to);
    return bytes;
}

struct MoveCase
{
    const char *name;
    QByteArray from;
    QByteArray to;
    Files after; // every file of the site after the move
};

QList<MoveCase> moveCases()
{
    const QByteArray index = kSite.at("index.html");
    return {
        {"a page renamed",
         "about.html",
         "profile.html",
         {{"index.html", replaced(index, {{"\"about.html?x=1\"", "\"profile.html?x=1\""}})},
          {"profile.html", kSite.at("about.html")},
          {"blog/entry.html", replaced(kSjisEntry, {{"../about.html", "../profile.html"}})},
          {"style.css", kSite.at("style.css")},
          {"img/cat.gif", "GIF89a"},
          {"img/cat2x.gif", "GIF89a2"},
          {"img/bg.png", "PNG"},
          {"old/", {}}}},
        {"a folder moved into another",
         "img",
         "old/img",
         {{"index.html", replaced(index, {{"img/", "old/img/"}})},
          {"about.html", replaced(kSite.at("about.html"), {{"img/", "old/img/"}})},
          {"blog/entry.html", replaced(kSjisEntry, {{"/img/", "/old/img/"}})},
          {"style.css", replaced(kSite.at("style.css"), {{"img/", "old/img/"}})},
          {"old/img/cat.gif", "GIF89a"},
          {"old/img/cat2x.gif", "GIF89a2"},
          {"old/img/bg.png", "PNG"}}},
        {"a Shift_JIS page moved up",
         "blog/entry.html",
         "entry.html",
         {{"index.html", replaced(index, {{" blog/entry.html#c ", " entry.html#c "}})},
          {"about.html", kSite.at("about.html")},
          {"entry.html", replaced(kSjisEntry, {{"../about.html", "about.html"}, {"../index.html", "index.html"}})},
          {"blog/", {}},
          {"style.css", kSite.at("style.css")},
          {"img/cat.gif", "GIF89a"},
          {"img/cat2x.gif", "GIF89a2"},
          {"img/bg.png", "PNG"},
          {"old/", {}}}},
    };
}

class SiteMoveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = QDir(dir.path()).filePath(QStringLiteral("site"));
        write(kSite);
        site = Site(root);
    }
    QString local(const QByteArray &path) const { return QDir(root).filePath(QString::fromUtf8(path)); }
    void write(const Files &files) const
    {
        for (const auto &[path, bytes] : files) {
            ASSERT_TRUE(QDir().mkpath(QFileInfo(local(path)).absolutePath()));
            if (path.endsWith('/'))
                continue;
            QFile file(local(path));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
    }
    // Every file and empty folder of the site, as the test wrote them.
    Files read() const
    {
        Files files;
        QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QByteArray inside = QDir(root).relativeFilePath(path).toUtf8();
            if (it.fileInfo().isDir()) {
                if (QDir(path).isEmpty())
                    files[inside + '/'] = {};
                continue;
            }
            QFile file(path);
            files[inside] = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
        }
        return files;
    }
    SiteMoveApply::Outcome move(const QByteArray &from, const QByteArray &to)
    {
        const SiteMoveApply::Move paths{local(from), local(to)};
        const std::optional<LinkRetarget::Move> inSite = SiteMovePlan::moveIn(site, paths.from, paths.to);
        EXPECT_TRUE(inSite.has_value());
        const std::atomic_bool running = false;
        const QList<SiteReplacePlan::Page> pages = SiteMovePlan::plan(site, *inSite, {}, running);
        QList<QList<bool>> ticked;
        for (const SiteReplacePlan::Page &page : pages)
            ticked.append(QList<bool>(page.changes.size(), true));
        return SiteMoveApply::moveAndRewrite(
            site, paths, SiteReplaceApply::filePages(pages, ticked), store, writer, QDateTime::currentDateTimeUtc());
    }

    QTemporaryDir dir;
    QString root;
    Site site;
    ReplaceUndoStore store{QDir(dir.path()).filePath(QStringLiteral("data"))};
    SiteReplaceApply::Writer writer = [](const QList<BatchWrite::File> &files) { return BatchWrite::write(files); };
};

TEST_F(SiteMoveTest, EveryLinkFollowsTheMoveByteForByteAndUndoPutsAllBack)
{
    for (const MoveCase &c : moveCases()) {
        const SiteMoveApply::Outcome outcome = move(c.from, c.to);
        EXPECT_TRUE(outcome.moveFailure.isEmpty()) << c.name << ": " << outcome.moveFailure.toStdString();
        EXPECT_TRUE(outcome.files.skipped.isEmpty() && outcome.files.failed.isEmpty()) << c.name;
        const Files after = read();
        for (const auto &[path, bytes] : c.after)
            EXPECT_EQ(after.count(path) ? after.at(path) : QByteArray("<missing>"), bytes)
                << c.name << ": " << path.constData();
        EXPECT_EQ(after.size(), c.after.size()) << c.name;

        const SiteMoveApply::UndoOutcome undone = SiteMoveApply::undo({local(c.from), local(c.to)}, store, writer);
        EXPECT_TRUE(undone.moveFailure.isEmpty()) << c.name << ": " << undone.moveFailure.toStdString();
        Files back = read();
        // A folder the move emptied stays; nothing else is left over.
        back.erase("blog/");
        Files expected = kSite;
        EXPECT_EQ(back, expected) << c.name;
    }
}

TEST_F(SiteMoveTest, APageThatCannotBeWrittenIsNamedAndTheMoveCannotBeUndoneOverATakenName)
{
    // An emoji Shift_JIS cannot hold, as the new name: the Shift_JIS page is refused, the rest
    // follow, and nothing is lost.
    const SiteMoveApply::Outcome outcome = move("about.html", QStringLiteral("😀.html").toUtf8());
    ASSERT_TRUE(outcome.moveFailure.isEmpty());
    EXPECT_EQ(outcome.files.pages, 1) << "index.html alone";
    const Files after = read();
    EXPECT_EQ(after.at(QStringLiteral("😀.html").toUtf8()), kSite.at("about.html"));
    EXPECT_EQ(after.at("blog/entry.html"), kSjisEntry);
    const QString said =
        SiteMoveApply::summary(QStringLiteral("about.html"), QStringLiteral("😀.html"), outcome, {}, {});
    EXPECT_TRUE(said.contains(QStringLiteral("1 ページのリンク 1 箇所"))) << said.toStdString();

    // Someone made a new about.html since: the move is not taken back over it.
    write({{"about.html", "<p>new</p>"}});
    const SiteMoveApply::UndoOutcome undone =
        SiteMoveApply::undo({local("about.html"), local(QStringLiteral("😀.html").toUtf8())}, store, writer);
    EXPECT_TRUE(undone.moveFailure.contains(QStringLiteral("また使われている"))) << undone.moveFailure.toStdString();
    EXPECT_EQ(read().at("about.html"), "<p>new</p>");
    EXPECT_NE(read().at("index.html"), kSite.at("index.html")) << "nothing taken back";
}

// The files of the site as a publish left them on the server: the plan of the next publish.
PublishPlan::Plan nextPublish(const QString &root, const Files &published)
{
    const QByteArray rootBytes = QFile::encodeName(root);
    PublishManifest manifest;
    for (const auto &[path, bytes] : published) {
        if (!path.endsWith('/'))
            manifest.set(path,
                         {ContentHash::ofBytes(bytes), bytes.size(), RemoteDate{QDate(2026, 12, 1), QTime(10, 0)}, {}});
    }
    const PublishPlan::RemoteTree remote = PublishPlan::readRemote([&](const QByteArray &folder) {
        RemoteItems items;
        QSet<QByteArray> folders;
        for (const auto &[path, bytes] : published) {
            if (!path.startsWith(folder))
                continue;
            const QByteArray rest = path.mid(folder.size());
            const qsizetype slash = rest.indexOf('/');
            RemoteItem item;
            item.name = slash < 0 ? rest : rest.left(slash);
            item.folder = slash >= 0;
            if (item.name.isEmpty() || (item.folder && folders.contains(item.name)))
                continue;
            if (item.folder)
                folders.insert(item.name);
            item.size = bytes.size();
            item.date = {QDate(2026, 12, 1), QTime(10, 0)};
            item.attributes = item.folder ? QStringLiteral("drwxr-xr-x") : QStringLiteral("-rw-r--r--");
            items.append(item);
        }
        return items;
    });
    const PublishPlan::LocalTree localTree = PublishPlan::readLocal(rootBytes);
    return PublishPlan::compute(localTree, remote, manifest, [&](const QByteArray &path) {
        return ContentHash::ofFile(rootBytes + '/' + path);
    });
}

TEST_F(SiteMoveTest, TheNextPublishDeletesTheOldNameSendsTheNewAndThePagesWhoseLinksChanged)
{
    move("about.html", "profile.html");
    QStringList states;
    for (const PublishPlan::Item &item : nextPublish(root, kSite).items) {
        if (item.state != PublishPlan::State::Unchanged)
            states.append(QString::fromUtf8(item.remote) + QLatin1Char('=') + PublishPlan::stateText(item.state)
                          + (item.checked ? QStringLiteral("✓") : QString()));
    }
    states.sort();
    EXPECT_EQ(
        states,
        (QStringList{
            QStringLiteral("about.html=") + PublishPlan::stateText(PublishPlan::State::ServerOnly),
            QStringLiteral("blog/entry.html=") + PublishPlan::stateText(PublishPlan::State::Changed)
                + QStringLiteral("✓"),
            QStringLiteral("index.html=") + PublishPlan::stateText(PublishPlan::State::Changed) + QStringLiteral("✓"),
            QStringLiteral("profile.html=") + PublishPlan::stateText(PublishPlan::State::New) + QStringLiteral("✓")}));
}

} // namespace
