// The table settings' check of 設定, the count conversion of the plain grid, and the grid's size
// limit: the rules the table dialog and 表(標準) apply, without a window.
#include "authoring/tablefragments.h"
#include "authoring/tablesettings.h"
#include "common/usererror.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

QString q(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// A text that sorts below "1" is not filled in; anything from "1" on passes, letters and
// double-byte text included.
TEST(TableSettings, FilledInMeansSortingFromOneOn)
{
    const std::pair<const char *, bool> cases[] = {
        {"", false},
        {"0", false},
        {"05", false},
        {" 5", false},
        {"-1", false},
        {".5", false},
        {"%", false},
        {"1", true},
        {"10", true},
        {"9", true},
        {"80%", true},
        {"abc", true},
        {"A", true},
        {"１", true},
        {"二", true},
        {"ｱ", true},
        {":", true},
    };
    for (const auto &[text, filled] : cases)
        EXPECT_EQ(isFilledIn(q(text)), filled) << text;
}

TEST(TableSettings, TheFirstUnfilledFieldIsFoundInTheOrderRowsColumnsWidthHeight)
{
    struct Case
    {
        TableSettings settings;
        std::optional<TableField> expected;
    };
    const Case cases[] = {
        {{q(""), q(""), q(""), q("")}, TableField::Rows},
        {{q("2"), q("0"), q(""), q("")}, TableField::Columns},
        {{q("2"), q("2"), q(" 80"), q("")}, TableField::Width},
        {{q("2"), q("2"), q("80%"), q("")}, TableField::Height},
        {{q("x"), q("y"), q("80%"), q("auto")}, std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(firstUnfilledField(c.settings), c.expected) << c.settings.rows.toStdString();
}

TEST(TableCount, DecimalIntegersConvert)
{
    const std::pair<const char *, int> cases[] = {
        {"0", 0},
        {"7", 7},
        {"007", 7},
        {"+3", 3},
        {"-3", -3},
        {"  12", 12},
        {"2147483647", 2147483647},
    };
    for (const auto &[text, value] : cases)
        EXPECT_EQ(TableFragments::countOf(q(text)), value) << text;
}

TEST(TableCount, AnythingElseIsTheConversionFailureNamingTheText)
{
    for (const char *text : {"", "abc", "3a", "3 ", "1.5", "+", "- 1", "３", "2147483648", "0x10", "%1"}) {
        try {
            TableFragments::countOf(q(text));
            ADD_FAILURE() << "converted: " << text;
        } catch (const UserError &e) {
            EXPECT_EQ(e.text(), q("'") + q(text) + q("' は整数ではありません")) << text;
        }
    }
}

// The plain grid checks both counts before it builds anything: a text that does not convert, or
// a size beyond the limits, leaves no text at all.
TEST(TablePlainGrid, IsRefusedWhenACountDoesNotConvertOrIsTooLarge)
{
    const TableFragments::Row *grid = TableFragments::row(0);
    ASSERT_NE(grid, nullptr);
    struct Case
    {
        const char *rows;
        const char *columns;
        const char *failure; // the start of the refusal
    };
    const Case cases[] = {
        {"abc", "2", "'abc' は整数ではありません"},
        {"2", "xyz", "'xyz' は整数ではありません"},
        {"zz", "100000000", "'zz' は整数ではありません"},
        {"100000000", "2", "表が大きすぎます"},
        {"1001", "1", "表が大きすぎます"},
        {"1", "101", "表が大きすぎます"},
        {"0", "101", "表が大きすぎます"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rows);
        try {
            TableFragments::build(*grid, {q(c.rows), q(c.columns), q("120"), q("50")});
            ADD_FAILURE() << "built";
        } catch (const UserError &e) {
            EXPECT_TRUE(e.text().startsWith(q(c.failure))) << e.text().toStdString();
        }
    }
}

TEST(TablePlainGrid, TheLargestAllowedGridIsBuilt)
{
    const QString text = TableFragments::build(
        *TableFragments::row(0),
        {QString::number(TableFragments::kMaxRows), QString::number(TableFragments::kMaxColumns), q("1"), q("1")});
    EXPECT_EQ(text.count(q("<TR>")), TableFragments::kMaxRows);
    EXPECT_EQ(text.count(q("<TD>data</TD>")), TableFragments::kMaxRows * TableFragments::kMaxColumns);
    EXPECT_TRUE(text.endsWith(q("</TR>\r\n</table>")));
}

} // namespace
