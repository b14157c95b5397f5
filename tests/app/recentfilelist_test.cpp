#include "app/recentfilelist.h"

#include <gtest/gtest.h>

namespace {

QStringList paths(std::initializer_list<const char *> names)
{
    QStringList out;
    for (const char *n : names)
        out.append(QString::fromUtf8(n));
    return out;
}

TEST(RecentFileList, KeepsTheLastSevenNewestFirst)
{
    RecentFileList list;
    for (int i = 1; i <= 8; ++i)
        list.add(QStringLiteral("/p/%1.htm").arg(i));
    EXPECT_EQ(list.entries(),
              paths({"/p/8.htm", "/p/7.htm", "/p/6.htm", "/p/5.htm", "/p/4.htm", "/p/3.htm", "/p/2.htm"}));
}

TEST(RecentFileList, APathAlreadyListedStaysWhereItIs)
{
    RecentFileList list;
    list.loadLines(paths({"a", "b", "c", "d", "e"}));
    list.add(QStringLiteral("e"));
    EXPECT_EQ(list.entries(), paths({"a", "b", "c", "d", "e", "", ""}));
}

TEST(RecentFileList, LetterCaseMakesADifferentEntry)
{
    RecentFileList list;
    list.add(QStringLiteral("C:\\a.htm"));
    list.add(QStringLiteral("C:\\A.HTM"));
    EXPECT_EQ(list.entries().mid(0, 2), paths({"C:\\A.HTM", "C:\\a.htm"}));
}

TEST(RecentFileList, EmptySlotsMoveDownLikeTheOthers)
{
    RecentFileList list;
    list.loadLines(paths({"a", "", "c"}));
    list.add(QStringLiteral("n"));
    EXPECT_EQ(list.entries(), paths({"n", "a", "", "c", "", "", ""}));
}

struct LoadCase
{
    const char *name;
    QStringList lines;
    QStringList expected;
    friend void PrintTo(const LoadCase &c, std::ostream *os) { *os << c.name; }
};

class RecentFileLoading : public ::testing::TestWithParam<LoadCase>
{};

TEST_P(RecentFileLoading, AlwaysSevenSlotsAndSevenLines)
{
    RecentFileList list;
    list.loadLines(GetParam().lines);
    EXPECT_EQ(list.entries(), GetParam().expected);
    EXPECT_EQ(list.toLines().size(), RecentFileList::kSlotCount);
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    RecentFileLoading,
    ::testing::Values(LoadCase{"Missing", {}, paths({"", "", "", "", "", "", ""})},
                      LoadCase{"ThreeLines", paths({"a", "b", "c"}), paths({"a", "b", "c", "", "", "", ""})},
                      LoadCase{"TenLines",
                               paths({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}),
                               paths({"1", "2", "3", "4", "5", "6", "7"})}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

namespace {

struct UnstorablePathCase
{
    const char *name;
    QString path;
    QStringList refused;
    friend void PrintTo(const UnstorablePathCase &c, std::ostream *os) { *os << c.name; }
};

class RecentFileUnstorable : public ::testing::TestWithParam<UnstorablePathCase>
{};

// A path that would take two lines of the list file would shift every later slot when read.
TEST_P(RecentFileUnstorable, APathNoLineCanHoldIsNotAddedAndNeverWritten)
{
    RecentFileList list;
    list.add(QStringLiteral("/kept.htm"));
    EXPECT_EQ(list.add(GetParam().path), GetParam().refused);
    EXPECT_EQ(list.entries(), paths({"/kept.htm", "", "", "", "", "", ""}));

    // Not even when it reaches a slot another way.
    list.setEntries({GetParam().path, QStringLiteral("/kept.htm")});
    EXPECT_EQ(list.toLines(), paths({"", "/kept.htm", "", "", "", "", ""}));
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    RecentFileUnstorable,
    ::testing::Values(UnstorablePathCase{"Lf", QStringLiteral("/a\nb.htm"), {QStringLiteral("改行 (LF)")}},
                      UnstorablePathCase{"Cr", QStringLiteral("/a\rb.htm"), {QStringLiteral("改行 (CR)")}},
                      UnstorablePathCase{"CrLf",
                                         QStringLiteral("/a\r\nb.htm"),
                                         {QStringLiteral("改行 (CR)"), QStringLiteral("改行 (LF)")}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
