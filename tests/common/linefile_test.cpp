#include "common/linefile.h"

#include "common/textcodec.h"
#include "common/usererror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

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

struct UnstorableCase
{
    const char *name;
    QString value;
    QStringList names;
    friend void PrintTo(const UnstorableCase &c, std::ostream *os) { *os << c.name; }
};

class LineFileUnstorable : public ::testing::TestWithParam<UnstorableCase>
{};

TEST_P(LineFileUnstorable, NamesEveryCharacterNoLineCanHold)
{
    EXPECT_EQ(LineFile::unstorableCharacters(GetParam().value), GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    LineFileUnstorable,
    ::testing::Values(UnstorableCase{"Plain", QStringLiteral("/home/u/ページ, 1.htm"), {}},
                      UnstorableCase{"Lf", QStringLiteral("/a\nb.htm"), {QStringLiteral("改行 (LF)")}},
                      UnstorableCase{"CrTwiceAndLf",
                                     QStringLiteral("\rx\r\n"),
                                     {QStringLiteral("改行 (CR)"), QStringLiteral("改行 (LF)")}},
                      UnstorableCase{"Nul", QStringLiteral("a") + QChar(0), {QStringLiteral("NUL 文字")}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

namespace {

// Characters a list line may meet: ASCII, kana both widths, kanji, characters CP932 writes in
// two ways (NEC and IBM rows), the private-use stand-ins for undecodable bytes (a page title can
// hold them too), and characters only UTF-8 can hold.
const char32_t kAlphabet[] = {U'a',    U'Z',   U'0',   U' ',   U',',   U'"',   U'=',   U'/',  U'\\',  U'~',   U'ｱ',
                              U'ﾈ',    U'｡',   U'ﾟ',   U'あ',  U'ア',  U'漢',  U'表',  U'①',  U'Ⅰ',   U'∵',   U'≒',
                              U'纊',   U'褜',  U'￢',  U'Ａ',  U'é',   U'ß',   U'Ж',   U'€',  0xFEFF, 0xFFFD, 0xE000,
                              0x1F600, 0xF780, 0xF781, 0xF7A1, 0xF7DF, 0xF7E0, 0xF7FD, 0xF7FF};

QStringList randomLines(std::mt19937 &random)
{
    QStringList lines;
    const int count = std::uniform_int_distribution<int>(0, 4)(random);
    for (int i = 0; i < count; ++i) {
        QString line;
        const int length = std::uniform_int_distribution<int>(0, 8)(random);
        for (int k = 0; k < length; ++k) {
            const char32_t c = kAlphabet[std::uniform_int_distribution<size_t>(0, std::size(kAlphabet) - 1)(random)];
            // Not QString::fromUcs4, which would take a U+FEFF for a byte order mark and drop it.
            line += c > 0xFFFF ? QString::fromUcs4(&c, 1) : QString(QChar(char16_t(c)));
        }
        lines.append(line);
    }
    return lines;
}

// Bytes as damaged or foreign files hold them: Shift_JIS lead and trail bytes, stray high
// bytes, line ends, UTF-8 (stand-ins included), a byte order mark, now and then a zero.
QByteArray randomBytes(std::mt19937 &random)
{
    static const QList<QByteArray> pieces = {"a",
                                             ",",
                                             "\"",
                                             "\r",
                                             "\n",
                                             "\r\n",
                                             "\x81",
                                             "\x82\xa0",
                                             "\x83\x41",
                                             "\x87\x40",
                                             "\xed\x40",
                                             "\xfa\x40",
                                             "\xa1",
                                             "\xdf",
                                             "\x80",
                                             "\xa0",
                                             "\xfd",
                                             "\xff",
                                             "\xef\xbb\xbf",
                                             "\xef\x9e\x81",
                                             "\xef\x9f\xbf",
                                             "\xc3\xa9",
                                             "\xe3\x81\x82",
                                             "\xf0\x9f\x98\x80",
                                             QByteArray(1, '\0'),
                                             "\x41"};
    QByteArray bytes;
    const int count = std::uniform_int_distribution<int>(0, 12)(random);
    for (int i = 0; i < count; ++i)
        bytes += pieces.at(std::uniform_int_distribution<qsizetype>(0, pieces.size() - 1)(random));
    return bytes;
}

QByteArray written(const QStringList &lines)
{
    return TextCodec::encodeListFile(LineFile::joinLines(lines));
}

TEST(LineFileRoundTrip, AnyLinesReadBackAsWritten)
{
    // The cases that used to come back changed: a stand-in that decodes otherwise as a byte, one
    // that joins the next character into a double-byte one, a text that starts with U+FEFF.
    const QList<QStringList> known = {{QString(QChar(0xF7A1))},
                                      {QString(QChar(0xF781)) + QLatin1Char('A')},
                                      {QString(QChar(0xFEFF)) + QStringLiteral("é")}};
    for (const QStringList &lines : known)
        EXPECT_EQ(LineFile::decode(written(lines)).lines, lines) << written(lines).toHex(' ').toStdString();
    std::mt19937 random(20261208);
    for (int i = 0; i < 5000; ++i) {
        const QStringList lines = randomLines(random);
        ASSERT_EQ(LineFile::decode(written(lines)).lines, lines) << written(lines).toHex(' ').toStdString();
    }
}

TEST(LineFileRoundTrip, WritingWhatWasReadReadsTheSame)
{
    std::mt19937 random(18);
    for (int i = 0; i < 5000; ++i) {
        const QByteArray bytes = randomBytes(random);
        const QStringList read = LineFile::decode(bytes).lines;
        ASSERT_EQ(LineFile::decode(written(read)).lines, read) << bytes.toHex(' ').toStdString();
    }
}

} // namespace
