#include "transfer/publishplan.h"

#include "transfer/contenthash.h"
#include "transfer/publishmanifest.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using PublishPlan::State;

enum class Kind {
    File,
    Folder,
    Link,
};

// A remote entry: where it is below the root, its size and the minute its listing shows (-1:
// the listing shows the day alone, as for an entry older than half a year).
struct Remote
{
    QByteArray path;
    qint64 size = 0;
    int minute = 0;
    Kind kind = Kind::File;
};

// Whether the last publish kept the local file's stamp with its hash.
enum class Stamp {
    None,
    Current, // the file has not been touched since
    Stale,   // the file was touched since (another inode: saved by replacing it)
};

// What the last publish recorded: the content it sent, and the size and minute listed after
// (-1: no listing gave a time).
struct Recorded
{
    QByteArray path;
    QByteArray content;
    qint64 size = 0;
    int minute = 0;
    Stamp stamp = Stamp::None;
};

// Files written by a test are seconds old only this much later.
constexpr qint64 kLater = qint64(10) * 1000 * 1000 * 1000;

RemoteDate listedAt(int minute)
{
    return {QDate(2026, 12, 1), QTime(10, minute)};
}

PublishPlan::RemoteTree remoteTree(const QList<Remote> &entries, const SiteExclusions &exclusions = {})
{
    return PublishPlan::readRemote(
        [&entries](const QByteArray &folder) {
            RemoteItems items;
            for (const Remote &entry : entries) {
                const qsizetype slash = entry.path.lastIndexOf('/');
                if (entry.path.left(slash + 1) != folder)
                    continue;
                RemoteItem item;
                item.name = entry.path.mid(slash + 1);
                item.size = entry.size;
                item.date = entry.minute < 0 ? RemoteDate{listedAt(0).day, QTime()} : listedAt(entry.minute);
                item.folder = entry.kind == Kind::Folder;
                item.attributes = QString::fromLatin1(entry.kind == Kind::Link         ? "lrwxrwxrwx"
                                                          : entry.kind == Kind::Folder ? "drwxr-xr-x"
                                                                                       : "-rw-r--r--");
                items.append(item);
            }
            return items;
        },
        exclusions);
}

PublishManifest manifestOf(const QList<Recorded> &rows, const PublishPlan::LocalTree &local)
{
    PublishManifest manifest;
    for (const Recorded &row : rows) {
        PublishManifest::LocalStamp stamp;
        for (const PublishPlan::LocalFile &file : local.files) {
            if (row.stamp != Stamp::None && file.path == row.path)
                stamp = file.stamp;
        }
        stamp.inode += row.stamp == Stamp::Stale ? 1 : 0;
        manifest.set(
            row.path,
            {ContentHash::ofBytes(row.content), row.size, row.minute < 0 ? RemoteDate() : listedAt(row.minute), stamp});
    }
    return manifest;
}

// By the path's own bytes: a CP932 name is no text QFile could take.
void writeFile(const QByteArray &path, const QByteArray &content)
{
    std::FILE *file = std::fopen(path.constData(), "wb");
    ASSERT_NE(file, nullptr) << path.constData();
    std::fwrite(content.constData(), 1, static_cast<std::size_t>(content.size()), file);
    std::fclose(file);
}

// "表" in CP932: its second byte is "\".
const QByteArray kCp932Name = QByteArray("\x95\x5c.html");
const QByteArray kCp932Folder = QByteArray("\x93\xfa\x8b\x4c"); // 日記

TEST(PublishPlan, EachFileGetsItsStateFromContentListingAndManifest)
{
    struct Case
    {
        const char *name;
        QList<std::pair<QByteArray, QByteArray>> local; // path, content; a path ending in "/" is a folder
        QList<Remote> remote;
        QList<Recorded> manifest;
        QList<std::pair<QByteArray, State>> expected; // remote path and state, in plan order
        int skipped = 0;
    };
    const QList<Case> cases = {
        {"new", {{"a.html", "x"}}, {}, {}, {{"a.html", State::New}}},
        // Same size, other content: only the hash can tell, and it does.
        {"changed", {{"a.html", "new"}}, {{"a.html", 3, 0}}, {{"a.html", "old", 3, 0}}, {{"a.html", State::Changed}}},
        {"unchanged",
         {{"a.html", "same"}},
         {{"a.html", 4, 0}},
         {{"a.html", "same", 4, 0}},
         {{"a.html", State::Unchanged}}},
        {"deleted locally",
         {{"keep.html", "k"}},
         {{"keep.html", 1, 0}, {"gone.html", 5, 0}, {"old", 0, 0, Kind::Folder}, {"old/x.gif", 7, 0}},
         {{"keep.html", "k", 1, 0}},
         {{"keep.html", State::Unchanged},
          {"gone.html", State::ServerOnly},
          {"old/x.gif", State::ServerOnly},
          {"old", State::ServerOnly}}},
        // Someone else's upload shows in the listing's size or time, whatever the clocks say.
        {"changed on the server",
         {{"size.html", "same"}, {"time.html", "same"}, {"untimed.html", "same"}},
         {{"size.html", 9, 0}, {"time.html", 4, 5}, {"untimed.html", 4, 7}},
         {{"size.html", "same", 4, 0}, {"time.html", "same", 4, 0}, {"untimed.html", "same", 4, -1}},
         {{"size.html", State::ChangedOnServer},
          {"time.html", State::ChangedOnServer},
          {"untimed.html", State::Unchanged}}},
        // A file whose stamp is the one kept with the hash is not read again: the recorded
        // content differs, and only a file that was read could tell.
        {"stamp stands",
         {{"kept.html", "new!"}, {"touched.html", "new!"}},
         {{"kept.html", 4, 0}, {"touched.html", 4, 0}},
         {{"kept.html", "old!", 4, 0, Stamp::Current}, {"touched.html", "old!", 4, 0, Stamp::Stale}},
         {{"kept.html", State::Unchanged}, {"touched.html", State::Changed}}},
        // Half a year on the listing shows the day alone: the day still matches what was
        // listed right after the upload, and only the content decides.
        {"listed by the day alone",
         {{"kept.html", "same"}, {"edited.html", "new!"}},
         {{"kept.html", 4, -1}, {"edited.html", 4, -1}},
         {{"kept.html", "same", 4, 15}, {"edited.html", "old!", 4, 15}},
         {{"edited.html", State::Changed}, {"kept.html", State::Unchanged}}},
        {"no manifest",
         {{"equal.html", "abcd"}, {"longer.html", "abc"}},
         {{"equal.html", 4, 0}, {"longer.html", 10, 0}},
         {},
         {{"equal.html", State::SameSize}, {"longer.html", State::Changed}}},
        // A name in CP932 is matched by its bytes; a UTF-8 name is spelled as its remote folder
        // spells its names.
        {"blanks and CP932 names",
         {{"a b.html", "1"}, {kCp932Name, "22"}, {"日記/", {}}, {"日記/日本.html", "333"}},
         {{kCp932Name, 2, 0},
          {kCp932Folder, 0, 0, Kind::Folder},
          {kCp932Folder + "/" + QByteArray("\x93\xfa\x96\x7b.html"), 3, 0}},
         {{kCp932Name, "22", 2, 0}, {kCp932Folder + "/" + QByteArray("\x93\xfa\x96\x7b.html"), "333", 3, 0}},
         {{"a b.html", State::New},
          {kCp932Name, State::Unchanged},
          {kCp932Folder + "/" + QByteArray("\x93\xfa\x96\x7b.html"), State::Unchanged}}},
        // The local links and the FIFO (made below) and the remote link are left out.
        {"links and special files",
         {{"a.html", "a"}},
         {{"a.html", 1, 0}, {"elsewhere", 0, 0, Kind::Link}},
         {{"a.html", "a", 1, 0}},
         {{"a.html", State::Unchanged}},
         4},
        {"nested folders",
         {{"sub/", {}}, {"sub/d.html", "d"}, {"sub/deep/", {}}, {"sub/deep/c.html", "c"}, {"empty/", {}}},
         {{"sub", 0, 0, Kind::Folder}, {"sub/d.html", 1, 0}, {"empty", 0, 0, Kind::Folder}},
         {{"sub/d.html", "d", 1, 0}},
         {{"sub/d.html", State::Unchanged}, {"sub/deep/c.html", State::New}}},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QByteArray root = QFile::encodeName(dir.path());
        for (const auto &[path, content] : c.local) {
            if (path.endsWith('/'))
                ASSERT_EQ(::mkdir((root + '/' + path).constData(), 0700), 0) << c.name;
            else
                writeFile(root + '/' + path, content);
        }
        if (QByteArray(c.name) == "links and special files") {
            ASSERT_EQ(::symlink("a.html", (root + "/link.html").constData()), 0);
            ASSERT_EQ(::symlink("/etc", (root + "/etc").constData()), 0);
            ASSERT_EQ(::mkfifo((root + "/pipe").constData(), 0600), 0);
        }
        const PublishPlan::LocalTree local = PublishPlan::readLocal(root, {}, PublishPlan::nowNs() + kLater);
        const PublishPlan::Plan plan = PublishPlan::compute(
            local, remoteTree(c.remote), manifestOf(c.manifest, local), [&](const QByteArray &path) {
                return ContentHash::ofFile(root + '/' + path);
            });
        QList<std::pair<QByteArray, State>> states;
        for (const PublishPlan::Item &item : plan.items) {
            states.append({item.remote, item.state});
            EXPECT_EQ(item.checked, item.state == State::New || item.state == State::Changed) << c.name;
        }
        EXPECT_EQ(states, c.expected) << c.name;
        // Written moments ago, so still open to a change the file's times could not show.
        for (const PublishPlan::LocalFile &file : PublishPlan::readLocal(root).files)
            EXPECT_FALSE(file.stamp.known()) << c.name << " " << file.path.constData();
        EXPECT_EQ(plan.skipped.size(), c.skipped) << c.name << " " << plan.skipped.join(u',').toStdString();
    }
}

TEST(PublishPlan, FilesOfTheSameSizeAreSettledByTheUsersChoice)
{
    PublishPlan::Plan plan;
    for (const char *path : {"same.html", "other.html"}) {
        PublishPlan::Item item;
        item.state = State::SameSize;
        item.local = item.remote = path;
        plan.items.append(item);
    }
    PublishPlan::Plan compared = plan;
    PublishPlan::decideSameSize(compared, [](const PublishPlan::Item &item) { return item.remote == "same.html"; });
    EXPECT_EQ(compared.items.at(0).state, State::Unchanged);
    EXPECT_EQ(compared.items.at(1).state, State::Changed);
    EXPECT_TRUE(compared.items.at(1).checked);
    PublishPlan::decideSameSize(plan, {}); // not compared: all taken as they are
    EXPECT_EQ(plan.count(State::Unchanged), 2);
}

TEST(SiteExclusions, EachNameIsLeftOutByItsPatternOrAsTheProgramsOwn)
{
    const SiteExclusions exclusions(SiteExclusions::defaultPatterns() + QStringLiteral("  drafts/old/ *.BAK"));
    const struct
    {
        const char *path;
        bool folder;
        const char *reason; // nullptr: published
    } cases[] = {
        {".git", true, "除外: .git/"},
        {"sub/.svn", true, "除外: .svn/"},
        {".git", false, nullptr}, // a file of that name is no folder
        {"img/Thumbs.db", false, "除外: Thumbs.db"},
        {"img/THUMBS.DB", false, "除外: Thumbs.db"},
        {"Desktop.ini", false, "除外: desktop.ini"},
        {"index.html~", false, "除外: *~"},
        {"old.bak", false, "除外: *.bak"},
        {"old.bak.html", false, nullptr},
        {"drafts/old", true, "除外: drafts/old/"},
        {"other/drafts/old", true, nullptr}, // a path names one place only
        {".htaccess", false, nullptr},
        {".qzweb-index.html.part", false, "公開の途中の一時ファイル"},
        {".qzweb-.part", false, nullptr},
        {"index.html", false, nullptr},
    };
    for (const auto &c : cases) {
        const QByteArray path(c.path);
        const std::optional<QString> reason = exclusions.reasonFor(path, c.folder);
        EXPECT_EQ(reason.value_or(QString()), c.reason ? QString::fromUtf8(c.reason) : QString()) << c.path;
    }
    EXPECT_EQ(SiteExclusions::split(QStringLiteral(" *.bak\t.git/  *.bak ")),
              (QStringList{QStringLiteral("*.bak"), QStringLiteral(".git/")}));
    EXPECT_TRUE(SiteExclusions::isTemporaryName(SiteExclusions::temporaryName("a.html")));
}

// What the exclusions leave out on both sides, and what the manifest alone says where the
// server's listings hide names starting with a dot.
TEST(PublishPlan, ExcludedNamesAndNamesTheServerHides)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray root = QFile::encodeName(dir.path());
    for (const char *folder : {".git", ".git/objects", ".well-known", ".well-known/acme"})
        ASSERT_EQ(::mkdir((root + '/' + folder).constData(), 0700), 0);
    for (const auto &[path, content] : {std::pair{"index.html", "top"},
                                        std::pair{".git/config", "git"},
                                        std::pair{".git/objects/ab", "obj"},
                                        std::pair{"Thumbs.db", "thumbs"},
                                        std::pair{"index.html~", "backup"},
                                        std::pair{".htaccess", "deny"},
                                        std::pair{".well-known/acme/token", "new token"}})
        writeFile(root + '/' + path, content);
    const SiteExclusions exclusions(SiteExclusions::defaultPatterns());
    const PublishPlan::LocalTree local = PublishPlan::readLocal(root, {}, PublishPlan::nowNs() + kLater, exclusions);
    const QList<Remote> listed = {
        {"index.html", 3, 0}, {".git", 0, 0, Kind::Folder}, {".git/HEAD", 5, 0}, {".qzweb-index.html.part", 3, 0}};
    PublishManifest manifest = manifestOf({{"index.html", "top", 3, 0}}, local);
    manifest.set(".htaccess", {ContentHash::ofBytes("deny"), 4, listedAt(0), {}});
    manifest.set(".well-known/acme/token", {ContentHash::ofBytes("old token"), 9, listedAt(0), {}});
    const auto hash = [&](const QByteArray &path) { return ContentHash::ofFile(root + '/' + path); };

    for (const bool hidden : {true, false}) {
        PublishPlan::RemoteTree remote = remoteTree(listed, exclusions);
        remote.hiddenShown = !hidden;
        const PublishPlan::Plan plan = PublishPlan::compute(local, remote, manifest, hash);
        QList<std::pair<QByteArray, State>> states;
        for (const PublishPlan::Item &item : plan.items)
            states.append({item.remote, item.state});
        // Nothing left out is offered, on either side; a hidden name is known from the
        // manifest only where the listing could not show it.
        EXPECT_EQ(
            states,
            (QList<std::pair<QByteArray, State>>{{".htaccess", hidden ? State::Unchanged : State::New},
                                                 {"index.html", State::Unchanged},
                                                 {".well-known/acme/token", hidden ? State::Changed : State::New}}))
            << hidden;
        EXPECT_EQ(plan.remoteFolders.contains(".well-known/acme"), hidden);
        EXPECT_EQ(plan.excluded,
                  (QStringList{QStringLiteral(".git/（除外: .git/）"),
                               QStringLiteral("Thumbs.db（除外: Thumbs.db）"),
                               QStringLiteral("index.html~（除外: *~）"),
                               QStringLiteral(".qzweb-index.html.part（公開の途中の一時ファイル）")}))
            << plan.excluded.join(u',').toStdString();
    }
}

TEST(PublishManifest, EveryByteOfANameAndTheTimeSurviveTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("publish/site.manifest"));
    PublishManifest manifest;
    const QByteArray odd = QByteArray("a b/\x95\x5c\t%\n.html");
    manifest.set(odd, {0xfedcba9876543210ULL, 12, {QDate(2026, 12, 1), QTime(10, 0)}, {12, -5, 1, ~0ULL}});
    manifest.set("plain.html", {1, 0, RemoteDate(), {}});
    manifest.write(path);
    EXPECT_EQ(QFileInfo(path).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
    PublishManifest again;
    again.load(path);
    ASSERT_EQ(again.size(), 2);
    ASSERT_NE(again.find(odd), nullptr);
    EXPECT_EQ(*again.find(odd), *manifest.find(odd));
    EXPECT_EQ(*again.find("plain.html"), *manifest.find("plain.html"));
    // Another program's file, or a damaged line, is no record at all.
    EXPECT_EQ(PublishManifest::parse("something else\n").size(), 0);
    EXPECT_EQ(PublishManifest::parse(manifest.format() + "zz\t1\t\t-\tbad.html\n").size(), 2);
    // Exact times, a day alone and the mode the server gives new files survive too.
    manifest.set("exact.html", {2, 5, {QDate(2026, 12, 1), QTime(10, 0, 59), true}, {}});
    manifest.set("old.html", {3, 5, {QDate(2026, 1, 1), QTime()}, {}});
    manifest.setNewFileMode(0600);
    const PublishManifest parsed = PublishManifest::parse(manifest.format());
    for (const char *path : {"exact.html", "old.html"}) {
        ASSERT_NE(parsed.find(path), nullptr) << path;
        EXPECT_EQ(*parsed.find(path), *manifest.find(path)) << path;
    }
    EXPECT_EQ(parsed.newFileMode(), 0600);
    EXPECT_EQ(again.newFileMode(), std::nullopt);
    // The second form kept the time as it was shown: a minute, or the day alone.
    const PublishManifest shown = PublishManifest::parse("QZWeb publish manifest 2\n"
                                                         "00000000000000ff\t3\t2026%2F12%2F01%2010%3A05\t-\ta.html\n"
                                                         "00000000000000ff\t3\t2026%2F01%2F05\t-\tb.html\n");
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown.find("a.html")->remoteTime, (RemoteDate{QDate(2026, 12, 1), QTime(10, 5)}));
    EXPECT_EQ(shown.find("b.html")->remoteTime, (RemoteDate{QDate(2026, 1, 5), QTime()}));
    // The form without stamps still counts; its files are hashed again.
    const PublishManifest older = PublishManifest::parse("QZWeb publish manifest 1\n00000000000000ff\t3\t\ta.html\n");
    ASSERT_NE(older.find("a.html"), nullptr);
    EXPECT_EQ(*older.find("a.html"), (PublishManifest::Entry{0xff, 3, RemoteDate(), {}}));
}

} // namespace

namespace {

// Two writers of one manifest at once (two windows before the lock, or anything else): each
// write goes whole to a file of its own and is renamed into place, so none fails and the file
// is always one of them, never a mix.
TEST(PublishManifest, WritersAtOnceNeverFailNorMix)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("publish/site.manifest"));
    const auto writer = [&path](char letter, int &failures) {
        PublishManifest manifest;
        for (int index = 0; index < 300; ++index) {
            manifest.set(QByteArray(1, letter) + QByteArray::number(index) + ".html", {1, 1, RemoteDate(), {}});
            try {
                manifest.write(path, PublishManifest::Flush::Later);
            } catch (const std::exception &) {
                ++failures;
            }
        }
    };
    int failuresA = 0;
    int failuresB = 0;
    std::thread a(writer, 'a', std::ref(failuresA));
    std::thread b(writer, 'b', std::ref(failuresB));
    a.join();
    b.join();
    EXPECT_EQ(failuresA + failuresB, 0);
    PublishManifest last;
    last.load(path);
    EXPECT_EQ(last.size(), 300);
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("publish"))).entryList(QDir::Files),
              QStringList{QStringLiteral("site.manifest")});
}

} // namespace
