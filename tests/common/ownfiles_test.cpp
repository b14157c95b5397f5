// The program's own preview copies: which files are ones, what the next start deletes after a
// killed run (and never of a run still going), and what a catchable signal leaves behind.
// Other runs of the program are child processes of this test, killed or told to end.
#include "common/ownfiles.h"

#include "common/atomicfile.h"
#include "common/previewcopyrecord.h"
#include "common/terminationsignals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <functional>

namespace {

const char *const kChildCopies = "QZWEB_PREVIEW_CHILD_COPIES";
const char *const kChildEnding = "QZWEB_PREVIEW_CHILD_ENDING";

// As the preview writes its file: on record first, then on disk.
void writeCopy(PreviewCopyRecord &record, const QString &path, const QByteArray &bytes)
{
    record.writing(path, bytes);
    AtomicFile::write(path, bytes);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QByteArray pageFor(const QString &path)
{
    return "<p>" + path.toUtf8() + "</p>";
}

} // namespace

// Run only as a child of the tests below: another run of the program, which writes a preview
// copy into each folder named and then is killed, waits until its input ends, or waits for a
// signal.
TEST(PreviewCopyChild, WritesCopiesAndEndsAsTold)
{
    if (!qEnvironmentVariableIsSet(kChildCopies))
        GTEST_SKIP() << "runs as a child process only";
    PreviewCopyRecord record(OwnFiles::recordFolder());
    for (const QString &path : qEnvironmentVariable(kChildCopies).split(QLatin1Char('\n')))
        writeCopy(record, path, pageFor(path));
    const QString ending = qEnvironmentVariable(kChildEnding);
    if (ending == QLatin1String("kill"))
        std::raise(SIGKILL);
    const TerminationSignals caught([&record] { record.removeAll(); });
    std::fputs("\nready\n", stdout);
    std::fflush(stdout);
    if (ending == QLatin1String("signal")) {
        QCoreApplication::exec();
        return;
    }
    // Ends normally, with its copies still there, once the parent closes its input.
    for (int c = std::getchar(); c != EOF; c = std::getchar()) {
    }
}

class OwnFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.isValid());
        qputenv("QZWEB_HOME", QDir(scratch.path()).filePath(QStringLiteral("data")).toLocal8Bit());
    }
    void TearDown() override { qunsetenv("QZWEB_HOME"); }

    QString path(const QString &relative) const { return QDir(scratch.path()).filePath(relative); }
    QStringList records() const
    {
        return QDir(OwnFiles::recordFolder()).entryList({QStringLiteral("*.json"), QStringLiteral("*.lock")});
    }

    // Starts another run writing a copy at each path; returns once it has written them (and
    // died, when killed).
    void startChild(QProcess &child, const QStringList &copies, const char *ending)
    {
        for (const QString &copy : copies)
            QDir().mkpath(QFileInfo(copy).absolutePath());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kChildCopies), copies.join(QLatin1Char('\n')));
        environment.insert(QString::fromLatin1(kChildEnding), QString::fromLatin1(ending));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=PreviewCopyChild.WritesCopiesAndEndsAsTold")});
        ASSERT_TRUE(child.waitForStarted(10000));
        if (qstrcmp(ending, "kill") == 0) {
            ASSERT_TRUE(child.waitForFinished(30000));
            ASSERT_EQ(child.exitStatus(), QProcess::CrashExit);
            return;
        }
        QByteArray output;
        while (!output.contains("\nready\n") && child.waitForReadyRead(30000))
            output += child.readAllStandardOutput();
        ASSERT_TRUE(output.contains("\nready\n")) << output.constData();
    }

    QTemporaryDir scratch;
};

TEST_F(OwnFilesTest, PreviewNamesAreTheTimeOfDayAndNothingElse)
{
    EXPECT_EQ(OwnFiles::previewName(QTime(13, 5, 22)), QStringLiteral("13_05_22.htm"));
    const struct
    {
        const char *name;
        bool preview;
    } rows[] = {
        {"13_05_22.htm", true},
        {"00_00_00.htm", true},
        {"23_59_59.htm", true},
        {"24_00_00.htm", false},
        {"13_05_22.html", false},
        {"13-05-22.htm", false},
        {"13_5_22.htm", false},
        {"x13_05_22.htm", false},
        {"index.htm", false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(OwnFiles::previewNameTime(QString::fromLatin1(row.name)).isValid(), row.preview) << row.name;
}

TEST_F(OwnFilesTest, APreviewCopyIsOneOnRecordAndStillAsWritten)
{
    PreviewCopyRecord running(OwnFiles::recordFolder());
    const QString site = path(QStringLiteral("site"));
    ASSERT_TRUE(QDir().mkpath(site));
    ASSERT_TRUE(QFile::link(site, path(QStringLiteral("linked"))));
    // A run that ended without deleting its copy: its record stays, nobody holds it.
    const auto endedRunWrote = [&](const QString &name) {
        PreviewCopyRecord ended(OwnFiles::recordFolder());
        writeCopy(ended, QDir(site).filePath(name), "<p>ended run</p>");
        return QDir(site).filePath(name);
    };
    const struct
    {
        const char *what;
        std::function<QString()> make;
        bool copy;
    } rows[] = {
        {"this run's copy",
         [&] {
             writeCopy(running, QDir(site).filePath(QStringLiteral("13_05_22.htm")), "<p>a</p>");
             return QDir(site).filePath(QStringLiteral("13_05_22.htm"));
         },
         true},
        {"this run's copy through a linked folder", [&] { return path(QStringLiteral("linked/13_05_22.htm")); }, true},
        {"the user's page under such a name",
         [&] {
             writeFile(QDir(site).filePath(QStringLiteral("13_05_23.htm")), "<p>mine</p>");
             return QDir(site).filePath(QStringLiteral("13_05_23.htm"));
         },
         false},
        {"an ended run's copy, untouched", [&] { return endedRunWrote(QStringLiteral("13_05_24.htm")); }, true},
        {"an ended run's copy, changed since",
         [&] {
             const QString copy = endedRunWrote(QStringLiteral("13_05_25.htm"));
             writeFile(copy, "<p>the user wrote this</p>");
             return copy;
         },
         false},
        {"a deleted copy the user made again",
         [&] {
             const QString copy = QDir(site).filePath(QStringLiteral("13_05_26.htm"));
             writeCopy(running, copy, "<p>b</p>");
             QFile::remove(copy);
             running.removed(copy);
             writeFile(copy, "<p>b</p>");
             return copy;
         },
         false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(OwnFiles::isPreviewCopy(row.make()), row.copy) << row.what;
}

TEST_F(OwnFilesTest, AKilledRunsCopiesGoAtTheNextStartOnlyWhenUnchanged)
{
    const QString untouched = path(QStringLiteral("one/13_05_22.htm"));
    const QString changed = path(QStringLiteral("two/13_05_22.htm"));
    const QString unplugged = path(QStringLiteral("three/13_05_22.htm"));
    QProcess killed;
    startChild(killed, {untouched, changed, unplugged}, "kill");
    ASSERT_TRUE(QFile::exists(untouched));
    EXPECT_TRUE(OwnFiles::isPreviewCopy(untouched)) << "known as one before the next start";
    writeFile(changed, "<p>the user's now</p>");
    ASSERT_TRUE(QDir().rename(path(QStringLiteral("three")), path(QStringLiteral("away"))));

    EXPECT_EQ(PreviewCopyRecord::removeLeftovers(OwnFiles::recordFolder()), QStringList{untouched});
    EXPECT_FALSE(QFile::exists(untouched));
    EXPECT_TRUE(QFile::exists(changed));
    EXPECT_FALSE(OwnFiles::isPreviewCopy(changed));

    // The copy in the folder that was away goes once the folder is back.
    ASSERT_TRUE(QDir().rename(path(QStringLiteral("away")), path(QStringLiteral("three"))));
    EXPECT_TRUE(OwnFiles::isPreviewCopy(unplugged));
    EXPECT_EQ(PreviewCopyRecord::removeLeftovers(OwnFiles::recordFolder()), QStringList{unplugged});
    EXPECT_FALSE(QFile::exists(unplugged));
    EXPECT_TRUE(records().isEmpty()) << records().join(u' ').toStdString();
}

TEST_F(OwnFilesTest, TheCopiesOfARunStillGoingStayUntilItHasEnded)
{
    PreviewCopyRecord running(OwnFiles::recordFolder());
    const QString ours = path(QStringLiteral("ours/13_05_22.htm"));
    QDir().mkpath(QFileInfo(ours).absolutePath());
    writeCopy(running, ours, "<p>ours</p>");
    const QString theirs = path(QStringLiteral("theirs/13_05_22.htm"));
    QProcess other;
    startChild(other, {theirs}, "wait");

    EXPECT_TRUE(PreviewCopyRecord::removeLeftovers(OwnFiles::recordFolder()).isEmpty());
    EXPECT_TRUE(QFile::exists(ours));
    EXPECT_TRUE(QFile::exists(theirs));
    EXPECT_TRUE(OwnFiles::isPreviewCopy(theirs)) << "another run's copy is left out while it runs";

    other.closeWriteChannel();
    ASSERT_TRUE(other.waitForFinished(30000));
    ASSERT_EQ(other.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(PreviewCopyRecord::removeLeftovers(OwnFiles::recordFolder()), QStringList{theirs});
    EXPECT_TRUE(QFile::exists(ours));
}

TEST_F(OwnFilesTest, ACatchableSignalDeletesTheCopiesAndEndsTheRunAsTheSignalWould)
{
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        const QString copy = path(QStringLiteral("site%1/13_05_22.htm").arg(number));
        QProcess child;
        startChild(child, {copy}, "signal");
        ASSERT_TRUE(QFile::exists(copy));
        ::kill(static_cast<pid_t>(child.processId()), number);
        ASSERT_TRUE(child.waitForFinished(30000));
        EXPECT_EQ(child.exitStatus(), QProcess::CrashExit) << number;
        EXPECT_EQ(child.exitCode(), number);
        EXPECT_FALSE(QFile::exists(copy)) << number;
        EXPECT_TRUE(records().isEmpty()) << number << records().join(u' ').toStdString();
    }
}
