#include "app/sitesearchrules.h"

#include <gtest/gtest.h>

#include <ostream>

namespace SiteSearchRules {

// A failing row shows what it holds.
void PrintTo(const Match &match, std::ostream *os)
{
    *os << match.line << ": \"" << match.lineText.toStdString() << "\" at " << match.range.start << '+'
        << match.range.length;
}

} // namespace SiteSearchRules

namespace {

using SiteSearchRules::Match;

struct RowsCase
{
    const char *name;
    QString text; // CR LF line ends, as the editor gives them
    const char *find;
    ReplaceRules::Options options;
    QList<Match> expected;
};

constexpr ReplaceRules::Options kPlain{};
constexpr ReplaceRules::Options kRegex{.regex = true};

const QString kLongLine = QString(250, QLatin1Char('a')) + QStringLiteral("cat");

const RowsCase kCases[] = {
    {"line numbers and trimmed lines",
     QStringLiteral("<p>one</p>\r\n  <p>cat</p>  \r\n\r\n\t<b>Cat</b>"),
     "cat",
     kPlain,
     {{2, QStringLiteral("<p>cat</p>"), {17, 3}}, {4, QStringLiteral("<b>Cat</b>"), {34, 3}}}},
    {"two on one line give two rows",
     QStringLiteral("cat cat"),
     "cat",
     kPlain,
     {{1, QStringLiteral("cat cat"), {0, 3}}, {1, QStringLiteral("cat cat"), {4, 3}}}},
    {"Japanese",
     QStringLiteral("今日は晴れ\r\n明日も晴れ"),
     "晴れ",
     kPlain,
     {{1, QStringLiteral("今日は晴れ"), {3, 2}}, {2, QStringLiteral("明日も晴れ"), {10, 2}}}},
    {"regular expression over a line end",
     QStringLiteral("a\r\n<h1>\r\nTitle"),
     "<h\\d>\\r\\nT",
     kRegex,
     {{2, QStringLiteral("<h1>"), {3, 7}}}},
    {"empty matches give no row", QStringLiteral("a\r\nb"), "^", kRegex, {}},
    {"nothing found", QStringLiteral("dog"), "cat", kPlain, {}},
    {"long lines are cut",
     kLongLine,
     "cat",
     kPlain,
     {{1, QString(200, QLatin1Char('a')) + QStringLiteral("…"), {250, 3}}}},
};

TEST(SiteSearchRules, PageTextGivesOneRowPerMatch)
{
    for (const RowsCase &row : kCases) {
        SCOPED_TRACE(row.name);
        const ReplaceRules::Pattern pattern(QString::fromUtf8(row.find), row.options);
        ASSERT_TRUE(pattern.isValid()) << pattern.errorMessage().toStdString();
        EXPECT_EQ(SiteSearchRules::matchesIn(pattern, row.text), row.expected);
    }
}

} // namespace
