#include "transfer/remotelistingparser.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What a listing line should give: the name's bytes, the values of the four columns and the
// folder flag; an empty name means the line gives no item.
struct LineCase
{
    const char *name;
    std::string line;
    std::string itemName;
    QString shown = {};
    RemoteDate date = {};
    qint64 size = 0;
    QString attributes = {};
    bool folder = false;
    QString linkTarget = {};
};

// "日本語.html": the same name as a Shift_JIS and as a UTF-8 server sends it.
const std::string kCp932Name = "\x93\xfa\x96\x7b\x8c\xea.html";
const std::string kUtf8Name = "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.html";

// The day the lines were read: a date without a year is in this year or the last.
const QDate kToday(2026, 12, 8);

const char kGarbage[] = "\xff\xfe\x00\x01 Jan  5 12:34 \x00\x00\x00 a b c";

const std::vector<LineCase> kLines = {
    {"Vsftpd",
     "-rw-r--r--    1 1000     1000         1234 Jan 05 12:34 index.html",
     "index.html",
     QStringLiteral("index.html"),
     {QDate(2026, 1, 5), QTime(12, 34)},
     1234,
     QStringLiteral("-rw-r--r--")},
    {"VsftpdFolderWithYear",
     "drwxr-xr-x    2 1000     1000         4096 Mar 14  2023 old",
     "old",
     QStringLiteral("old"),
     {QDate(2023, 3, 14), QTime()},
     4096,
     QStringLiteral("drwxr-xr-x"),
     true},
    {"ProftpdSingleDigitDay",
     "-rw-r--r--   1 user     group        1234 Jan  5 12:34 index.html",
     "index.html",
     QStringLiteral("index.html"),
     {QDate(2026, 1, 5), QTime(12, 34)},
     1234,
     QStringLiteral("-rw-r--r--")},
    {"PureFtpd",
     "-rw-r--r--    1 1000       1000             1234 Dec 31 23:59 a.txt",
     "a.txt",
     QStringLiteral("a.txt"),
     {QDate(2025, 12, 31), QTime(23, 59)},
     1234,
     QStringLiteral("-rw-r--r--")},
    {"Pyftpdlib",
     "-rw-r--r--   1 qzweb    qzweb        1234 Jan 05 12:34 my page.html",
     "my page.html",
     QStringLiteral("my page.html"),
     {QDate(2026, 1, 5), QTime(12, 34)},
     1234,
     QStringLiteral("-rw-r--r--")},
    {"BusyboxNoGroupWidth",
     "-rw-r--r--    1 0        0             123 Jan  5 12:34 file",
     "file",
     QStringLiteral("file"),
     {QDate(2026, 1, 5), QTime(12, 34)},
     123,
     QStringLiteral("-rw-r--r--")},
    {"NameWithBlanks",
     "-rw-r--r--   1 u g 10 Jan  5 12:34 my  two  blanks.html",
     "my  two  blanks.html",
     QStringLiteral("my  two  blanks.html"),
     {QDate(2026, 1, 5), QTime(12, 34)},
     10,
     QStringLiteral("-rw-r--r--")},
    {"LeadingBlanksKept",
     "-rw-r--r--   1 u g 10 Jan  5 12:34   lead.txt",
     "  lead.txt",
     QStringLiteral("  lead.txt"),
     {QDate(2026, 1, 5), QTime(12, 34)},
     10,
     QStringLiteral("-rw-r--r--")},
    {"DateInsideTheName",
     "-rw-r--r--   1 u g 10 Feb  1 10:00 Jan  5 12:34 x",
     "Jan  5 12:34 x",
     QStringLiteral("Jan  5 12:34 x"),
     {QDate(2026, 2, 1), QTime(10, 0)},
     10,
     QStringLiteral("-rw-r--r--")},
    {"Cp932Name",
     "-rw-r--r--   1 u g 10 Jan  5 12:34 " + kCp932Name,
     kCp932Name,
     QStringLiteral("日本語.html"),
     {QDate(2026, 1, 5), QTime(12, 34)},
     10,
     QStringLiteral("-rw-r--r--")},
    {"Utf8Name",
     "-rw-r--r--   1 u g 10 Jan  5 12:34 " + kUtf8Name,
     kUtf8Name,
     QStringLiteral("日本語.html"),
     {QDate(2026, 1, 5), QTime(12, 34)},
     10,
     QStringLiteral("-rw-r--r--")},
    {"LinkNamedByItself",
     "lrwxrwxrwx    1 u g   16 Jan  5 12:34 latest -> ../../secret.txt",
     "latest",
     QStringLiteral("latest"),
     {QDate(2026, 1, 5), QTime(12, 34)},
     16,
     QStringLiteral("lrwxrwxrwx"),
     false,
     QStringLiteral("../../secret.txt")},
    {"LinkWithBlanks",
     "lrwxrwxrwx    1 u g   5 Jan  5 12:34 my link -> a b",
     "my link",
     QStringLiteral("my link"),
     {QDate(2026, 1, 5), QTime(12, 34)},
     5,
     QStringLiteral("lrwxrwxrwx"),
     false,
     QStringLiteral("a b")},
    {"DeviceNumbers",
     "crw-rw-rw-    1 root     root       1,   3 Jan  5 12:34 null",
     "null",
     QStringLiteral("null"),
     {QDate(2026, 1, 5), QTime(12, 34)},
     0,
     QStringLiteral("crw-rw-rw-")},
    {"SizeAboveFourGiB",
     "-rw-r--r--   1 u g 5368709120 Jan  5  2003 big.iso",
     "big.iso",
     QStringLiteral("big.iso"),
     {QDate(2003, 1, 5), QTime()},
     5368709120LL,
     QStringLiteral("-rw-r--r--")},
    {"AclMark",
     "-rw-r--r--+  1 u g 10 Jan  5 12:34 acl.txt",
     "acl.txt",
     QStringLiteral("acl.txt"),
     {QDate(2026, 1, 5), QTime(12, 34)},
     10,
     QStringLiteral("-rw-r--r--+")},
    {"IisFolder",
     "01-05-26  12:34PM       <DIR>          my folder",
     "my folder",
     QStringLiteral("my folder"),
     {QDate(2026, 1, 5), QTime(12, 34)},
     0,
     QStringLiteral("<DIR>"),
     true},
    {"IisFile",
     "01-05-26  12:34PM                 1234 my page.html",
     "my page.html",
     QStringLiteral("my page.html"),
     {QDate(2026, 1, 5), QTime(12, 34)},
     1234},
    {"IisFourDigitYear",
     "01-05-2026  09:00AM           5368709120 big.iso",
     "big.iso",
     QStringLiteral("big.iso"),
     {QDate(2026, 1, 5), QTime(9, 0)},
     5368709120LL},
    {"Total", "total 24", ""},
    {"LongTotal", "total 123456789012345678", ""},
    {"NineteenCharacters", "-rw-r--r-- 1 a b 1 ", ""},
    {"Empty", "", ""},
    {"Prose", "this is not a listing at all, sorry", ""},
    {"NoSize", "-rw-r--r--   1 u g xx Jan  5 12:34 nosize", ""},
    {"HugeSize", "-rw-r--r--   1 u g 99999999999999999999999 Jan  5 12:34 huge", ""},
    {"NoName", "-rw-r--r--   1 u g 10 Jan  5 12:34", ""},
    {"BinaryGarbage", std::string(kGarbage, sizeof kGarbage - 1), ""},
    {"NotPermissions", "hello    1 u g 10 Jan  5 12:34 file.txt", ""},
};

class ListingLine : public testing::TestWithParam<LineCase>
{};

TEST_P(ListingLine, GivesItsItemOrNone)
{
    const LineCase &c = GetParam();
    const auto item = RemoteListingParser::parseLine(QByteArray::fromStdString(c.line), kToday);
    if (c.itemName.empty()) {
        EXPECT_FALSE(item.has_value());
        return;
    }
    ASSERT_TRUE(item.has_value());
    EXPECT_EQ(item->name.toStdString(), c.itemName);
    EXPECT_EQ(item->displayName, c.shown);
    EXPECT_EQ(item->date, c.date);
    EXPECT_EQ(item->size, c.size);
    EXPECT_EQ(item->attributes, c.attributes);
    EXPECT_EQ(item->folder, c.folder);
    EXPECT_EQ(item->linkTarget, c.linkTarget);
}

INSTANTIATE_TEST_SUITE_P(Servers,
                         ListingLine,
                         testing::ValuesIn(kLines),
                         [](const testing::TestParamInfo<LineCase> &info) { return std::string(info.param.name); });

TEST(ListingParser, AWholeListingGivesEveryItemInOrder)
{
    std::vector<std::string> lines;
    std::vector<std::string> expected;
    for (const LineCase &c : kLines) {
        lines.push_back(c.line);
        if (!c.itemName.empty())
            expected.push_back(c.itemName);
    }
    std::vector<std::string> names;
    for (const RemoteItem &item : RemoteListingParser::parse(lines))
        names.push_back(item.name.toStdString());
    EXPECT_EQ(names, expected);
}

TEST(ListingParser, SizeTextIsGroupedAndRightAlignedInTen)
{
    const std::vector<std::pair<qint64, QString>> cases = {
        {0, QStringLiteral("         0")},
        {1234, QStringLiteral("     1,234")},
        {1234567, QStringLiteral(" 1,234,567")},
        {99999999, QStringLiteral("99,999,999")},
        {5368709120LL, QStringLiteral("5,368,709,120")},
    };
    for (const auto &[size, text] : cases)
        EXPECT_EQ(RemoteListingParser::sizeText(size), text) << size;
}

TEST(ListingParser, SplitTokensSeparatesByBlanksAndCommasAndHonoursQuotes)
{
    const std::vector<std::pair<QByteArray, QList<QByteArray>>> cases = {
        {"  a  b\tc", {"a", "b", "c"}},
        {"a,,b", {"a", "", "b"}},
        {"a, b ,c,", {"a", "b", "c", ""}},
        {"\"my page\" x", {"my page", "x"}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"\"open", {"open"}},
        {"1, 3 Jan", {"1", "3", "Jan"}},
        {QByteArray("a\0b", 3), {"a", "b"}},
        {"", {}},
    };
    for (const auto &[line, tokens] : cases)
        EXPECT_EQ(RemoteListingParser::splitTokens(line), tokens) << line.toStdString();
}

} // namespace
