#include "common/linefile.h"

#include "common/usererror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct SplitCase
{
    const char *name;
    friend void PrintTo(const SplitCase &c, std::ostream *os) { *os << c.name; }
    QString text;
    QStringList lines;
};

class LineSplitting : public ::testing::TestWithParam<SplitCase>
{};

TEST_P(LineSplitting, SplitsAtCrLfCrAndLf)
{
    EXPECT_EQ(LineFile::splitLines(GetParam().text), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    LineSplitting,
    ::testing::Values(
        SplitCase{"Empty", QString(), {}},
        SplitCase{"CrLf", QStringLiteral("a\r\nb\r\n"), {QStringLiteral("a"), QStringLiteral("b")}},
        SplitCase{"LastLineWithoutBreak", QStringLiteral("a\r\nb"), {QStringLiteral("a"), QStringLiteral("b")}},
        SplitCase{
            "LoneCrAndLf", QStringLiteral("a\rb\nc"), {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}},
        SplitCase{"LfCrIsTwoBreaks", QStringLiteral("a\n\rb"), {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        SplitCase{"EmptyLinesKept", QStringLiteral("\r\n\r\nx\r\n"), {QString(), QString(), QStringLiteral("x")}}),
    [](const auto &info) { return std::string(info.param.name); });

class LineFileOnDisk : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path(const QString &name) const { return QDir(dir.path()).filePath(name); }
};

TEST_F(LineFileOnDisk, WritesCrLfAfterEveryLineAndReadsItBack)
{
    const QStringList lines = {QStringLiteral("C:\\ページ\\index.htm"), QString(), QStringLiteral("last")};
    LineFile::write(path(QStringLiteral("QZWEB.ini")), lines);
    EXPECT_EQ(readBytes(path(QStringLiteral("QZWEB.ini"))),
              QByteArray("C:\\\x83\x79\x81\x5b\x83\x57\\index.htm\r\n\r\nlast\r\n"));
    EXPECT_EQ(LineFile::read(path(QStringLiteral("QZWEB.ini"))), lines);
}

TEST_F(LineFileOnDisk, FallsBackToUtf8WithItsMarkAndReadsItBack)
{
    const QStringList lines = {QStringLiteral("café"), QStringLiteral("日本")};
    LineFile::write(path(QStringLiteral("list.ini")), lines);
    EXPECT_EQ(readBytes(path(QStringLiteral("list.ini"))),
              QByteArray("\xef\xbb\xbf"
                         "caf\xc3\xa9\r\n\xe6\x97\xa5\xe6\x9c\xac\r\n"));
    EXPECT_EQ(LineFile::read(path(QStringLiteral("list.ini"))), lines);
}

TEST_F(LineFileOnDisk, AFailedWriteLeavesTheOldFileWhole)
{
    // The target's folder is a file, so no temporary file can be made beside the target.
    writeBytes(path(QStringLiteral("blocker")), "x");
    const QString target = path(QStringLiteral("blocker/QZWEB.ini"));
    EXPECT_THROW(LineFile::write(target, {QStringLiteral("a")}), UserError);

    // A directory in the target's place: the rename fails, the directory stays.
    QDir(dir.path()).mkdir(QStringLiteral("taken.ini"));
    EXPECT_THROW(LineFile::write(path(QStringLiteral("taken.ini")), {QStringLiteral("a")}), UserError);
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("taken.ini"))).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("blocker")});
}

TEST_F(LineFileOnDisk, ReadFailureNamesTheFile)
{
    QDir(dir.path()).mkdir(QStringLiteral("folder.ini"));
    try {
        LineFile::read(path(QStringLiteral("folder.ini")));
        FAIL() << "a folder cannot be read as a list file";
    } catch (const UserError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("folder.ini"))) << e.text().toStdString();
    }
}

TEST_F(LineFileOnDisk, KeepsRequestedPermissions)
{
    LineFile::write(path(QStringLiteral("RODav.ini")),
                    {QStringLiteral("secret")},
                    QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const auto mode = std::filesystem::status(path(QStringLiteral("RODav.ini")).toStdString()).permissions();
    EXPECT_EQ(mode, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

} // namespace

namespace {

// A list file cut short by a zero byte keeps its bytes while its list is unchanged; once the
// list changed it is written, and the original stays beside it.
struct WriteOverCase
{
    const char *name;
    QByteArray original;
    bool changed;
    QByteArray expected; // the file afterwards
    QByteArray backup;   // the .bak afterwards; empty: none
    bool damagedAfterwards;
    friend void PrintTo(const WriteOverCase &c, std::ostream *os) { *os << c.name; }
};

class LineFileWriteOver : public ::testing::TestWithParam<WriteOverCase>
{};

TEST_P(LineFileWriteOver, KeepsWhatADamagedReadCouldNotTake)
{
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("WEBUrl.ini"));
    writeBytes(file, GetParam().original);
    const LineFile::Contents asRead = LineFile::readContents(file);
    const QStringList lines = GetParam().changed ? asRead.lines + QStringList{QStringLiteral("new")} : asRead.lines;

    const LineFile::Contents after = LineFile::writeOver(file, asRead, lines, GetParam().changed);

    EXPECT_EQ(readBytes(file), GetParam().expected);
    EXPECT_EQ(readBytes(LineFile::backupPath(file)), GetParam().backup);
    EXPECT_EQ(after.damaged, GetParam().damagedAfterwards);
    // What the file now holds, as the next write must compare against.
    EXPECT_EQ(after.lines, LineFile::readContents(file).lines);
}

const QByteArray kDamaged("a\r\nb\0c\r\nd\r\n", 11);

INSTANTIATE_TEST_SUITE_P(
    Table,
    LineFileWriteOver,
    ::testing::Values(WriteOverCase{"DamagedUnchangedStaysAsItWas", kDamaged, false, kDamaged, {}, true},
                      WriteOverCase{
                          "DamagedChangedIsWrittenAndKept", kDamaged, true, "a\r\nb\r\nnew\r\n", kDamaged, false},
                      WriteOverCase{"WholeIsWrittenAsUsual", "a\nb", false, "a\r\nb\r\n", {}, false},
                      WriteOverCase{"WholeChangedLeavesNoBackup", "a\r\n", true, "a\r\nnew\r\n", {}, false}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

