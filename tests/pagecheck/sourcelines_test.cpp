#include "pagecheck/sourcelines.h"

#include <gtest/gtest.h>

namespace {

struct TidyColumnCase
{
    const char *line;
    int tidyColumn;
    int column;
};

// tidy counts code points and moves a tab to the next multiple of eight; the user counts
// characters, a tab being one, and a pair of UTF-16 halves being one.
TEST(SourceLinesTest, MapsTidyColumnsBackToCharacters)
{
    const TidyColumnCase cases[] = {
        {"<p>x", 4, 4},
        {"\t<b>", 9, 2},
        {"ab\t<b>", 9, 4},
        {"\t\t<b>", 17, 3},
        {"1234567\t<b>", 9, 9},
        {"日本語<b>", 4, 4},
        {"😀<b>", 2, 2},
    };
    for (const TidyColumnCase &c : cases) {
        const QString text = QString::fromUtf8(c.line);
        EXPECT_EQ(SourceLines(text).columnFromTidy(1, c.tidyColumn), c.column) << c.line;
    }
}

TEST(SourceLinesTest, PlacesOffsetsAndBackOnEveryKindOfLineEnd)
{
    const QString text = QStringLiteral("a\r\nb\rc\n😀d");
    const SourceLines lines(text);
    EXPECT_EQ(lines.lineCount(), 4);
    const qsizetype d = text.indexOf(QLatin1Char('d'));
    EXPECT_EQ(lines.placeOf(d).line, 4);
    EXPECT_EQ(lines.placeOf(d).column, 2);
    EXPECT_EQ(lines.offsetOf(4, 2), d);
    EXPECT_EQ(lines.offsetOf(3, 1), text.indexOf(QLatin1Char('c')));
    // Past the line's end stays on the line.
    EXPECT_EQ(lines.offsetOf(1, 99), 1);
    EXPECT_EQ(lines.offsetOf(99, 1), text.indexOf(QStringLiteral("😀")));
}

} // namespace
