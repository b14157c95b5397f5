// The caret display's text and the rules of Find next, without windows.
#include "app/caretposition.h"
#include "app/findrules.h"

#include <gtest/gtest.h>

namespace {

TEST(CaretPosition, ColumnsCountShiftJisBytesBeforeTheCaret)
{
    const struct
    {
        int line;
        const char16_t *before;
        const char *shown;
    } rows[] = {
        {0, u"", "1行 1桁"},
        {0, u"a", "1行 2桁"},
        {0, u"あ", "1行 3桁"},
        {0, u"ｱ", "1行 2桁"}, // half-width katakana is one byte
        {0, u"a\tあｱ", "1行 6桁"},
        {11, u"表示", "12行 5桁"},
        {0, u"\U0001F600", "1行 3桁"}, // no Shift_JIS form: two bytes, as one character
        {0, u"é", "1行 3桁"},
        {0, u"\uF7A0", "1行 2桁"}, // a byte no table decoded stands for itself
    };
    for (const auto &row : rows) {
        EXPECT_EQ(CaretPosition::displayText(row.line, QString::fromUtf16(row.before)), QString::fromUtf8(row.shown))
            << row.shown;
    }
}

TEST(FindRules, SearchStartsAfterTheSelectionOrAtTheTop)
{
    EXPECT_EQ(FindRules::startPosition(5, 0), 0) << "the caret alone is not used";
    EXPECT_EQ(FindRules::startPosition(5, 3), 8);
    EXPECT_EQ(FindRules::startPosition(0, 0), 0);
}

TEST(FindRules, FindsForwardIgnoringCaseWithoutWrappingRound)
{
    const QString text = QStringLiteral("abc ABC\r\nxAbC ＡＢＣ");
    const struct
    {
        const char16_t *needle;
        int from;
        std::optional<int> found;
    } rows[] = {
        {u"abc", 0, 0},
        {u"abc", 1, 4},
        {u"ABC", 5, 10},
        {u"abc", 11, std::nullopt}, // only earlier matches remain: no wrap-around
        {u"ａｂｃ", 0, 14},         // full-width letters fold too
        {u"\r\nx", 0, 7},
        {u"zzz", 0, std::nullopt},
        {u"c", int(text.size()), std::nullopt},
        {u"a", -1, std::nullopt},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(FindRules::findNext(text, QString::fromUtf16(row.needle), row.from), row.found)
            << QString::fromUtf16(row.needle).toStdString() << " from " << row.from;
    }
}

TEST(FindRules, DialogStandsHalfwayRoundedTowardZero)
{
    EXPECT_EQ(FindRules::dialogPosition(QRect(100, 50, 642, 487), 532), QPoint(316, 268));
    EXPECT_EQ(FindRules::dialogPosition(QRect(101, 51, 642, 488), 532), QPoint(316, 269));
    // A window partly off the left edge of the screen: -301 / 2 is -150, not -151.
    EXPECT_EQ(FindRules::dialogPosition(QRect(-833, -100, 642, 99), 532), QPoint(-150, 0));
}

} // namespace
