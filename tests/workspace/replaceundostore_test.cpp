// Writing many files together (each old or new, a full disk leaving all old) and taking a
// site-wide replace back from the copies kept of it.
#include "workspace/replaceundostore.h"

#include "common/batchwrite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/mount.h>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class BatchWriteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        for (int i = 0; i < 4; ++i) {
            paths.append(QDir(dir.path()).filePath(QStringLiteral("p%1.html").arg(i)));
            writeFile(paths.last(), "old " + QByteArray::number(i));
        }
        QFile::setPermissions(paths.at(1), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    }
    QList<BatchWrite::File> newFiles(qsizetype size) const
    {
        QList<BatchWrite::File> files;
        for (const QString &path : paths)
            files.append({path, QByteArray(size, 'n')});
        return files;
    }
    void expectAllOld() const
    {
        for (int i = 0; i < paths.size(); ++i)
            EXPECT_EQ(readFile(paths.at(i)), "old " + QByteArray::number(i));
        // No temporary file is left behind.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), paths.size());
    }

    QTemporaryDir dir;
    QStringList paths;
};

TEST_F(BatchWriteTest, WritesEveryFileKeepingItsPermissions)
{
    const BatchWrite::Outcome outcome = BatchWrite::write(newFiles(10));
    EXPECT_EQ(outcome.written, paths);
    EXPECT_TRUE(outcome.failed.isEmpty());
    for (const QString &path : paths)
        EXPECT_EQ(readFile(path), QByteArray(10, 'n'));
    EXPECT_EQ(QFile::permissions(paths.at(1)),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser
                  | QFileDevice::ReadOther);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), paths.size());
}

TEST_F(BatchWriteTest, AWriteFailingHalfWayLeavesEveryFileOld)
{
    int calls = 0;
    const BatchWrite::Outcome outcome = BatchWrite::write(newFiles(10), [&calls](int fd, QByteArrayView bytes) {
        if (++calls < 3)
            return BatchWrite::writeAll(fd, bytes);
        // Half of it reaches the disk, then the disk is full.
        BatchWrite::writeAll(fd, bytes.first(bytes.size() / 2));
        errno = ENOSPC;
        return false;
    });
    EXPECT_TRUE(outcome.written.isEmpty());
    EXPECT_EQ(outcome.failed.size(), paths.size());
    expectAllOld();
}

// The real thing where the machine lets a test mount a small file system.
TEST_F(BatchWriteTest, AFullDiskLeavesEveryFileOld)
{
    QTemporaryDir small;
    ASSERT_TRUE(small.isValid());
    if (::mount("qzweb-test", small.path().toLocal8Bit().constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    const auto unmount = qScopeGuard([&] { ::umount(small.path().toLocal8Bit().constData()); });
    paths.clear();
    for (int i = 0; i < 4; ++i) {
        paths.append(QDir(small.path()).filePath(QStringLiteral("p%1.html").arg(i)));
        writeFile(paths.last(), "old " + QByteArray::number(i));
    }
    const BatchWrite::Outcome outcome = BatchWrite::write(newFiles(24 * 1024));
    EXPECT_TRUE(outcome.written.isEmpty());
    for (int i = 0; i < paths.size(); ++i)
        EXPECT_EQ(readFile(paths.at(i)), "old " + QByteArray::number(i));
    EXPECT_EQ(QDir(small.path()).entryList(QDir::Files | QDir::Hidden).size(), paths.size());
}

TEST(ReplaceUndoStoreTest, PutsBackOnlyWhatStillHoldsTheReplace)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDir root(dir.path());
    const QString store = root.filePath(QStringLiteral("data/site-replace"));
    const QString replaced = root.filePath(QStringLiteral("a.html"));
    const QString editedSince = root.filePath(QStringLiteral("b.html"));
    const QString neverWritten = root.filePath(QStringLiteral("c.html"));
    writeFile(replaced, "new a");
    writeFile(editedSince, "new b, then the user's own edit");
    writeFile(neverWritten, "old c");
    const QDateTime when = QDateTime::currentDateTimeUtc();

    ReplaceUndoStore undo(store);
    undo.keep({{replaced, "old a", "new a"}, {editedSince, "old b", "new b"}, {neverWritten, "old c", "new c"}}, when);
    EXPECT_TRUE(undo.holdsCopies(when.addDays(ReplaceUndoStore::kKeptDays - 1)));

    // A failed write back keeps the copies for another try.
    ReplaceUndoStore::Outcome outcome = undo.restore([](const QList<BatchWrite::File> &files) {
        BatchWrite::Outcome failed;
        for (const BatchWrite::File &file : files)
            failed.failed.append(file.path + QStringLiteral(": full"));
        return failed;
    });
    EXPECT_EQ(outcome.failed, QStringList{replaced + QStringLiteral(": full")})
        << outcome.failed.join(u'\n').toStdString();
    EXPECT_EQ(readFile(replaced), "new a");
    ASSERT_TRUE(undo.holdsCopies(when));

    outcome = undo.restore([](const QList<BatchWrite::File> &files) { return BatchWrite::write(files); });
    EXPECT_EQ(outcome.restored, QStringList{replaced});
    EXPECT_EQ(outcome.changedSince, QStringList{editedSince});
    EXPECT_EQ(outcome.unchanged, QStringList{neverWritten});
    EXPECT_TRUE(outcome.failed.isEmpty());
    EXPECT_EQ(readFile(replaced), "old a");
    EXPECT_EQ(readFile(editedSince), "new b, then the user's own edit");
    // Once.
    EXPECT_FALSE(undo.holdsCopies(when));

    // Copies outlive their time only until they are asked for.
    undo.keep({{replaced, "old a", "old a"}}, when);
    EXPECT_FALSE(undo.holdsCopies(when.addDays(ReplaceUndoStore::kKeptDays)));
    EXPECT_FALSE(undo.holdsCopies(when));
}

} // namespace
