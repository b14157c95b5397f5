#include "app/replacerules.h"

#include <gtest/gtest.h>

#include <ostream>

// A failing row shows its texts as text.
void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

struct ReplaceAllCase
{
    const char *name;
    const char *text;
    const char *find;
    const char *with;
    ReplaceRules::Options options;
    const char *expected; // the text after すべて置換
    int count;
    const char *error = nullptr; // how the message of a wrong expression starts
};

constexpr ReplaceRules::Options kPlain{};
constexpr ReplaceRules::Options kMatchCase{.matchCase = true};
constexpr ReplaceRules::Options kWholeWord{.wholeWord = true};
constexpr ReplaceRules::Options kRegex{.regex = true};

const ReplaceAllCase kCases[] = {
    {"letter case ignored", "Cat cat CAT", "cat", "dog", kPlain, "dog dog dog", 3},
    {"letter case kept", "Cat cat CAT", "cat", "dog", kMatchCase, "Cat dog CAT", 1},
    {"full-width letters fold too", "ＡＢＣ ａｂｃ", "ａｂｃ", "x", kPlain, "x x", 2},
    {"plain text is no expression", "a.b axb a*b", "a.b", "-", kPlain, "- axb a*b", 1},
    {"longer replacement", "aXbXc", "X", "---", kPlain, "a---b---c", 2},
    {"shorter replacement", "aaaaa", "aa", "b", kPlain, "bba", 2},
    {"Japanese text", "今日は晴れ、明日も晴れ", "晴れ", "雨", kPlain, "今日は雨、明日も雨", 2},
    {"whole words only", "cat concat cat. cats", "cat", "dog", kWholeWord, "dog concat dog. cats", 2},
    {"Japanese next to letters is an edge", "日本abcです abcd", "abc", "X", kWholeWord, "日本Xです abcd", 1},
    {"a run of Japanese is one word", "日本語 本", "本", "X", kWholeWord, "日本語 X", 1},
    {"whole word with an expression", "ab abc abcd", "ab\\w?", "X", {.wholeWord = true, .regex = true}, "X X abcd", 2},
    {"groups as $1 and \\1", "2024-05-01", "(\\d+)-(\\d+)-(\\d+)", "$3/\\2/$1", kRegex, "01/05/2024", 1},
    {"whole match and literal signs", "a b", "\\w", "[$0|\\0]$$\\\\", kRegex, "[a|a]$\\ [b|b]$\\", 2},
    {"two digits only when there are so many groups", "ab", "(a)(b)", "$10\\2", kRegex, "a0b", 1},
    {"plain replacement keeps its signs", "a", "a", "$0\\1", kPlain, "$0\\1", 1},
    {"word characters of any script", "日本語 abc", "\\w+", "<$0>", kRegex, "<日本語> <abc>", 2},
    {"an empty match moves on", "ab", "x*", "-", kRegex, "-a-b-", 3},
    {"line starts", "a\r\nb", "^", "> ", kRegex, "> a\r\n> b", 2},
    {"line ends stand before CR LF", "a\r\n\r\nb", "$", ";", kRegex, "a;\r\n;\r\nb;", 3},
    {"a match across CR LF", "one\r\ntwo\r\nthree", "o\\r\\nt", "o t", kRegex, "one\r\ntwo three", 1},
    {"a dot stops at the line end", "ab\r\ncd", "b.*", "", kRegex, "a\r\ncd", 1},
    {"nothing to replace", "abc", "x", "y", kPlain, "abc", 0},
    {"a wrong expression says where",
     "ab(cd",
     "ab(cd",
     "x",
     kRegex,
     "ab(cd",
     0,
     "正規表現の 6 文字目に誤りがあります: "},
};

QString afterAll(QString text, const QList<ReplaceRules::Edit> &edits)
{
    for (auto edit = edits.crbegin(); edit != edits.crend(); ++edit)
        text.replace(edit->range.start, edit->range.length, edit->text);
    return text;
}

TEST(ReplaceRules, ReplaceAllGivesTheTextAndTheCount)
{
    for (const ReplaceAllCase &c : kCases) {
        SCOPED_TRACE(c.name);
        const ReplaceRules::Pattern pattern(QString::fromUtf8(c.find), c.options);
        if (c.error)
            EXPECT_TRUE(pattern.errorMessage().startsWith(QString::fromUtf8(c.error)))
                << pattern.errorMessage().toStdString();
        else
            EXPECT_TRUE(pattern.isValid()) << pattern.errorMessage().toStdString();
        const QString text = QString::fromUtf8(c.text);
        const QList<ReplaceRules::Edit> edits = pattern.replaceAll(text, QString::fromUtf8(c.with));
        EXPECT_EQ(afterAll(text, edits), QString::fromUtf8(c.expected));
        EXPECT_EQ(edits.size(), c.count);
    }
}

} // namespace
