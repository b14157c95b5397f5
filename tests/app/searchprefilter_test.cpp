// Passing over files whose bytes cannot hold the searched text: never one that can, in either
// encoding or in a second CP932 spelling, and only for searches that match the text as typed.
#include "app/searchprefilter.h"

#include <gtest/gtest.h>

namespace {

struct Case
{
    const char *name;
    QString text;
    ReplaceRules::Options options;
    QByteArray bytes;
    bool mayMatch;
};

const ReplaceRules::Options kAsTyped{true, false, false};

const Case kCases[] = {
    {"AsciiPresent", QStringLiteral("cat"), kAsTyped, "<p>a cat</p>", true},
    {"AsciiAbsent", QStringLiteral("cat"), kAsTyped, "<p>a dog</p>", false},
    {"JapaneseInShiftJis", QStringLiteral("日本"), kAsTyped, "<p>\x93\xfa\x96\x7b</p>", true},
    {"JapaneseInUtf8", QStringLiteral("日本"), kAsTyped, QStringLiteral("<p>日本</p>").toUtf8(), true},
    {"JapaneseAbsent", QStringLiteral("日本"), kAsTyped, "<p>\x93\xfa</p>", false},
    // ⅰ in its NEC-selected spelling (EE EF), which is not the one the encoder writes (FA 40).
    {"SecondSpellingIsNotFiltered", QStringLiteral("\u2170"), kAsTyped, "<p>\xee\xef</p>", true},
    {"NoShiftJisFormInUtf8Only", QStringLiteral("😀"), kAsTyped, "<p>\x93\xfa</p>", false},
    {"AnyLetterCaseIsNotFiltered", QStringLiteral("cat"), {false, false, false}, "<p>CAT</p>", true},
    {"RegexIsNotFiltered", QStringLiteral("c.t"), {true, false, true}, "<p>cut</p>", true},
    {"WholeWordsStillNeedTheBytes", QStringLiteral("cat"), {true, true, false}, "<p>dog</p>", false},
};

class SearchPrefilterTest : public ::testing::TestWithParam<Case>
{};

TEST_P(SearchPrefilterTest, PassesOverOnlyFilesThatCannotMatch)
{
    const Case &c = GetParam();
    EXPECT_EQ(SearchPrefilter(c.text, c.options).mayMatch(c.bytes), c.mayMatch);
}

INSTANTIATE_TEST_SUITE_P(Texts, SearchPrefilterTest, ::testing::ValuesIn(kCases), [](const auto &info) {
    return std::string(info.param.name);
});

} // namespace
