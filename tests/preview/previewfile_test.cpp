#include "preview/previewfile.h"

#include "common/previewcopyrecord.h"
#include "preview/previewsession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(PreviewFile, NameIsTheStartTimeWithUnderscores)
{
    EXPECT_EQ(PreviewFile::makeName(QTime(13, 5, 22)), QStringLiteral("13_05_22.htm"));
    EXPECT_EQ(PreviewFile::makeName(QTime(0, 0, 9)), QStringLiteral("00_00_09.htm"));
}

TEST(PreviewFile, FolderIsThePreviewFolderElseTheCurrentElseTheProgramsOwn)
{
    struct Row
    {
        const char *previewDir;
        const char *current;
        const char *executable;
        const char *expected;
    };
    const Row rows[] = {
        {"/home/u/site/", "/tmp", "/opt/qzweb", "/home/u/site/"},
        {"", "/home/u/work", "/opt/qzweb", "/home/u/work/"},
        {"", "/", "/opt/qzweb", "/"},
        {"", "", "/opt/qzweb", "/opt/qzweb/"},
        {"", "", "/opt/qzweb/", "/opt/qzweb/"},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(PreviewFile::folderFor(QString::fromUtf8(row.previewDir),
                                         QString::fromUtf8(row.current),
                                         QString::fromUtf8(row.executable)),
                  QString::fromUtf8(row.expected))
            << row.previewDir << "|" << row.current;
    }
}

namespace {

void touch(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

} // namespace

TEST(PreviewFile, AFileOfTheNameMovesThePreviewToTheNextFreeSecond)
{
    struct Row
    {
        const char *name;
        QStringList present;
        const char *expected;
    };
    const Row rows[] = {
        {"13_05_22.htm", {}, "13_05_22.htm"},
        {"13_05_22.htm", {"13_05_22.htm"}, "13_05_23.htm"},
        {"13_05_22.htm", {"13_05_22.htm", "13_05_23.htm", "13_05_25.htm"}, "13_05_24.htm"},
        {"13_05_59.htm", {"13_05_59.htm"}, "13_06_00.htm"},
        {"23_59_59.htm", {"23_59_59.htm"}, "00_00_00.htm"},
        {"13_05_22.htm", {"other.htm"}, "13_05_22.htm"},
        // A folder of that name is taken just as much as a file.
        {"13_05_22.htm", {"13_05_22.htm/"}, "13_05_23.htm"},
        {"page.htm", {"page.htm", "page_1.htm"}, "page_2.htm"},
    };
    for (const Row &row : rows) {
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        for (const QString &name : row.present) {
            if (name.endsWith(QLatin1Char('/')))
                QDir(folder.path()).mkdir(name.chopped(1));
            else
                touch(folder.filePath(name));
        }
        EXPECT_EQ(PreviewFile::freeName(folder.path(), QString::fromLatin1(row.name)),
                  QString::fromLatin1(row.expected))
            << row.name << " with " << row.present.join(QLatin1Char(' ')).toStdString();
    }
}

TEST(PreviewFile, OnlyThePreviewThisRunWroteIsWrittenOverAndDeleted)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString dir = folder.path() + QLatin1Char('/');
    touch(dir + QStringLiteral("13_05_22.htm")); // a page of the user's
    PreviewSession session;
    session.previewName = QStringLiteral("13_05_22.htm");
    session.previewDir = dir;

    // Nothing written yet: nothing to delete, the user's page least of all.
    PreviewFile::remove(session);
    EXPECT_TRUE(QFile::exists(dir + QStringLiteral("13_05_22.htm")));

    const QString first = PreviewFile::claim(session);
    EXPECT_EQ(first, dir + QStringLiteral("13_05_23.htm"));
    EXPECT_EQ(session.previewName, QStringLiteral("13_05_23.htm"));
    touch(first);
    EXPECT_EQ(PreviewFile::claim(session), first) << "its own preview is written over";

    PreviewFile::remove(session);
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_TRUE(QFile::exists(dir + QStringLiteral("13_05_22.htm")));
    EXPECT_TRUE(session.previewWritten.isEmpty());

    // Deleted by someone else meanwhile, or replaced by a folder: no failure, nothing removed.
    EXPECT_EQ(PreviewFile::claim(session), first);
    QDir(folder.path()).mkdir(QStringLiteral("13_05_23.htm"));
    PreviewFile::remove(session);
    EXPECT_TRUE(QFileInfo(first).isDir());
}

TEST(PreviewFile, MovingToAnotherFolderDeletesThePreviewLeftBehindAndTheRecordFollows)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString one = scratch.filePath(QStringLiteral("one/"));
    const QString two = scratch.filePath(QStringLiteral("two/"));
    ASSERT_TRUE(QDir().mkpath(one) && QDir().mkpath(two));
    PreviewCopyRecord record(scratch.filePath(QStringLiteral("records")));
    PreviewSession session;
    session.previewName = QStringLiteral("13_05_22.htm");
    session.copies = &record;

    session.previewDir = one;
    const QString first = PreviewFile::write(session, "<p>one</p>");
    EXPECT_EQ(record.paths(), QStringList{first});
    session.previewDir = two;
    const QString second = PreviewFile::write(session, "<p>two</p>");
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_TRUE(QFile::exists(second));
    EXPECT_EQ(record.paths(), QStringList{second});

    PreviewFile::remove(session);
    EXPECT_FALSE(QFile::exists(second));
    EXPECT_TRUE(record.paths().isEmpty());
}
