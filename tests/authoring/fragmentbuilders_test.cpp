// The texts the authoring menus build, family by family: the cases where a builder could go
// wrong (empty selections, dialog results, line splitting), not a copy of every row.
#include "authoring/alignfragments.h"
#include "authoring/insertfragments.h"
#include "authoring/pageskeleton.h"
#include "authoring/paragraphfragments.h"
#include "authoring/textformatfragments.h"
#include "common/cp932codec.h"

#include <gtest/gtest.h>

namespace {

const QString kEmoji = QString::fromUtf8("\xF0\x9F\x98\x80");   // no CP932 form

QString q(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// --- 文字 ------------------------------------------------------------------------------------

ColorChoice accepted(bool useColor, bool useSize, const char *size, const char *color)
{
    ColorChoice c;
    c.useColor = useColor;
    c.useSize = useSize;
    c.sizeText = q(size);
    c.colorText = q(color);
    return c;
}

struct TextFormatCase
{
    const char *name;
    int tag;
    const char *selection;
    ColorChoice result;
    const char *expected;
};

class TextFormatTest : public ::testing::TestWithParam<TextFormatCase> {};

TEST_P(TextFormatTest, BuildsTheTextAroundTheSelection)
{
    const TextFormatCase &c = GetParam();
    const TextFormatFragments::Row *row = TextFormatFragments::row(c.tag);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(TextFormatFragments::build(*row, q(c.selection), c.result), q(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Fragments, TextFormatTest,
    ::testing::Values(
        TextFormatCase{"BoldEmpty", 2, "", {}, "<b></b>"},
        TextFormatCase{"StrikeMultiLine", 5, "a\r\nb", {}, "<strike>a\r\nb</strike>"},
        TextFormatCase{"SizeBeforeColor", 0, "S", accepted(true, true, "4", "#FF0000"),
                       "<font size=\"4\" color=\"#FF0000\">S</font>"},
        TextFormatCase{"ColorOnly", 0, "S", accepted(true, false, "4", "RGB(255,0,0)"),
                       "<font color=\"RGB(255,0,0)\">S</font>"},
        TextFormatCase{"SizeOnlyIgnoresColorText", 0, "", accepted(false, true, "+2", "#000000"),
                       "<font size=\"+2\"></font>"},
        TextFormatCase{"FontCancelled", 0, "S", accepted(true, true, "4", ""), ""},
        TextFormatCase{"BaseFontOpensOnly", 1, "S", accepted(false, true, "7", "#000000"),
                       "<basefont size=\"7\">S"},
        TextFormatCase{"BaseFontCancelled", 1, "S", accepted(false, true, "7", ""), ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TextFormatRows, OnlyTheTwoFontItemsAskTheDialogWithTheirPresets)
{
    EXPECT_FALSE(TextFormatFragments::row(0)->dialog->useColor.value());
    EXPECT_FALSE(TextFormatFragments::row(0)->dialog->useSize.value());
    EXPECT_TRUE(TextFormatFragments::row(1)->dialog->useSize.value());
    EXPECT_FALSE(TextFormatFragments::row(1)->dialog->useColor.value());
    for (int tag = 2; tag <= 6; ++tag)
        EXPECT_FALSE(TextFormatFragments::row(tag)->dialog.has_value()) << tag;
    EXPECT_EQ(TextFormatFragments::row(7), nullptr);
    EXPECT_EQ(TextFormatFragments::row(-1), nullptr);
}

// --- 書式 ------------------------------------------------------------------------------------

TEST(AlignFragments, BlocksWrapAndAttributesLeadTheSelection)
{
    EXPECT_EQ(AlignFragments::build(*AlignFragments::row(1), q("x")), q("<div align=\"center\">x</div>"));
    EXPECT_EQ(AlignFragments::build(*AlignFragments::row(3), QString()), q(" align=\"left\""));
    EXPECT_EQ(AlignFragments::build(*AlignFragments::row(5), q("x")), q(" align=\"right\"x"));
    EXPECT_EQ(AlignFragments::row(6), nullptr);
}

// --- 段落 ------------------------------------------------------------------------------------

struct ParagraphCase
{
    const char *name;
    int tag;
    const char *selection;
    const char *expected;
};

class ParagraphTest : public ::testing::TestWithParam<ParagraphCase> {};

TEST_P(ParagraphTest, BuildsTheBlockAndEndsTheLine)
{
    const ParagraphCase &c = GetParam();
    const ParagraphFragments::Row *row = ParagraphFragments::row(c.tag);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(ParagraphFragments::build(*row, q(c.selection)), q(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Fragments, ParagraphTest,
    ::testing::Values(
        ParagraphCase{"BreakAlone", 0, "", "<br>\r\n"},
        ParagraphCase{"BreakAfterText", 0, "abc", "abc<br>\r\n"},
        ParagraphCase{"ParagraphWraps", 2, "abc", "<p>\r\nabc\r\n</p>\r\n"},
        ParagraphCase{"DivSample", 3, "", "<div>これは段落です。前後に空行が入りません。</div>\r\n"},
        ParagraphCase{"ListReplacesSelection", 4, "gone",
                      "　<ol>番号付きリスト\r\n　　<li>リスト１\r\n　　<li>リスト２\r\n　</ol>\r\n"},
        ParagraphCase{"DefinitionOfTwoLines", 6, "HTML\r\nmarkup\r\n",
                      "<dl>\r\n　<dt>HTML\r\n　<dd>markup\r\n</dl>\r\n"},
        ParagraphCase{"DefinitionOfOneWordIsTheSample", 6, "word",
                      "<dl>\r\n　<dt>ＨＴＭＬとは\r\n　<dd>WWW上に配信するファイルを作成するために使われるプログラム言語の一種です"
                      "\r\n</dl>\r\n"},
        ParagraphCase{"DefinitionOfOneLineWithBlanksIsTheSample", 6, "\r\n  word \t\r\n\r\n",
                      "<dl>\r\n　<dt>ＨＴＭＬとは\r\n　<dd>WWW上に配信するファイルを作成するために使われるプログラム言語の一種です"
                      "\r\n</dl>\r\n"},
        ParagraphCase{"QuoteDropsBlankLines", 7, "title\r\n\r\ntext",
                      "title<blockquote>\r\ntext\r\n</blockquote>\r\n"},
        ParagraphCase{"QuoteKeepsFullWidthSpaces", 7, "　題\r\n\r\n　本文　",
                      "　題<blockquote>\r\n　本文　\r\n</blockquote>\r\n"},
        ParagraphCase{"QuoteSample", 7, "",
                      "引用文のタイトル<blockquote>これは引用文です。前後に空行が入ります。\r\n　　</blockquote>\r\n"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ParagraphSplit, FirstLineAndRestFollowTheTrimmedSelection)
{
    struct Case
    {
        QString selection;
        QString first;
        QString rest;
    };
    const Case cases[] = {
        {q("  a\r\n\r\n\r\n  b\r\nc  \r\n"), q("a"), q("  b\r\nc")},   // blanks before the rest stay
        {q("a b"), QString(), QString()},
        {q("\r\na\r\n"), QString(), QString()},
        {q("a") + kEmoji + q("\r\n") + kEmoji, q("a") + kEmoji, kEmoji},
    };
    for (const Case &c : cases) {
        const auto parts = ParagraphFragments::splitFirstLine(c.selection);
        EXPECT_EQ(parts.firstLine, c.first) << c.selection.toStdString();
        EXPECT_EQ(parts.rest, c.rest) << c.selection.toStdString();
    }
}

// --- 挿入 ------------------------------------------------------------------------------------

TEST(LinkFragments, LinkTextIsTheSelectionOrThePlaceholder)
{
    const auto *url = InsertFragments::linkRow(0);
    const auto *mail = InsertFragments::linkRow(1);
    EXPECT_EQ(InsertFragments::link(*url, QString()), q("<a href=\"http://ここにURLを入れてね\">ｼﾞｬﾝﾌﾟ先</a>"));
    EXPECT_EQ(InsertFragments::link(*url, q("a@b")), q("<a href=\"http://ここにURLを入れてね\">a@b</a>"));
    EXPECT_EQ(InsertFragments::link(*mail, q("taro@example.jp")), q("<a href=\"mailto:taro@example.jp\"></a>"));
    EXPECT_EQ(InsertFragments::link(*mail, q("太郎")), q("<a href=\"mailto:ここにメールアドレスを入れてね\">太郎</a>"));
    EXPECT_EQ(InsertFragments::link(*mail, QString()),
              q("<a href=\"mailto:ここにメールアドレスを入れてね\">ｼﾞｬﾝﾌﾟ先</a>"));
}

TEST(LinkFragments, InPageJumpIsThreeLinesWithTwentyFourBreaks)
{
    const QString text = InsertFragments::link(*InsertFragments::linkRow(2), q("%1 先"));
    const QStringList lines = text.split(q("\r\n"));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines.at(0), q("<a href=\"#QZ\">%1 先</a>"));
    EXPECT_EQ(lines.at(1), q("<br>").repeated(24));
    EXPECT_EQ(lines.at(2), q("<a name=\"QZ\">ここです</a>"));
}

TEST(InsertFragments, ImagesRuleAndBackground)
{
    EXPECT_EQ(InsertFragments::image(*InsertFragments::imageRow(1)),
              q("<img src=\"画像ファイル名\" align=\"right\" alt=\"この画像は○○です\">"));
    EXPECT_EQ(InsertFragments::imageRow(2), nullptr);
    EXPECT_EQ(InsertFragments::horizontalRule(), q("<hr>"));
    EXPECT_EQ(InsertFragments::backgroundColorAttribute(q("$0080FF")), q(" bgcolor=\"$0080FF\""));
    EXPECT_EQ(InsertFragments::backgroundColorAttribute(QString()), QString());
}

// --- 基本形 ----------------------------------------------------------------------------------

TEST(PageSkeleton, CaretLandsOnTheBlankLineAtByte184Of202)
{
    const QString text = PageSkeleton::text();
    const QByteArray bytes = Cp932Codec::encode(text, {}, nullptr);
    EXPECT_EQ(bytes.size(), 202);
    const QByteArray before = Cp932Codec::encode(text.left(PageSkeleton::caretPosition()), {}, nullptr);
    EXPECT_EQ(before.size(), 184);
    EXPECT_EQ(text.mid(PageSkeleton::caretPosition()), q("\r\n</body>\r\n</html>"));
    EXPECT_TRUE(text.startsWith(q("<html>\r\n<head><title>&lt;タイトルになります&gt;</title></head>\r\n")));
}

} // namespace
