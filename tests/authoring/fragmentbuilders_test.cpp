// The texts the authoring menus build: one table holding every text of every family's tags
// against its exact literal (with and without a selection where that changes the text), the
// dialog results that change a font tag, and the line splitting of the definition and quotation
// rows.
#include "authoring/alignfragments.h"
#include "authoring/insertfragments.h"
#include "authoring/pageskeleton.h"
#include "authoring/paragraphfragments.h"
#include "authoring/tablefragments.h"
#include "authoring/templatefragments.h"
#include "authoring/textformatfragments.h"
#include "common/cp932codec.h"
#include "common/tagtable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

const QString kEmoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // no CP932 form

QString q(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// --- the shared lookup -----------------------------------------------------------------------

// Tags out of order and with gaps, so a lookup by position would be caught.
struct Numbered
{
    int tag;
    const char *text;
};
constexpr Numbered kNumbered[] = {{2, "two"}, {0, "zero"}, {5, "five"}};
constexpr TagTable<Numbered> kNumberedTable(kNumbered);
static_assert(kNumberedTable.find(5) == &kNumbered[2]);
static_assert(kNumberedTable.find(0) == &kNumbered[1]);
static_assert(kNumberedTable.find(1) == nullptr);
static_assert(kNumberedTable.find(-1) == nullptr);
static_assert(kNumberedTable.find(2) == &kNumbered[0]);
// A table like this one is refused when it is built.
constexpr Numbered kClash[] = {{0, "a"}, {3, "b"}, {3, "c"}};
static_assert(!TagTable<Numbered>::hasDistinctTags(kClash));

TEST(TagTable, TagsAreListedInRowOrder)
{
    EXPECT_EQ(kNumberedTable.tags(), (std::vector<int>{2, 0, 5}));
}

// --- every text of every family --------------------------------------------------------------

enum class Family {
    TextFormat, // 文字
    Align,      // 書式
    Paragraph,  // 段落
    Image,      // 挿入: 画像左寄せ, 画像右寄せ
    Link,       // 挿入: リンク
    Table,      // 表
    Style,      // ｽﾀｲﾙｼｰﾄ
    Script,     // スクリプト
    Form,       // フォーム
};

ColorChoice accepted(bool useColor, bool useSize, const char *size, const char *color)
{
    ColorChoice c;
    c.useColor = useColor;
    c.useSize = useSize;
    c.sizeText = q(size);
    c.colorText = q(color);
    return c;
}

struct FragmentCase
{
    const char *name;
    Family family;
    int tag;
    const char16_t *selection;
    const char16_t *expected;
    ColorChoice dialog = {};  // what the colour dialog left, for the rows that show it
    TableSettings table = {}; // what the table settings hold, for the table rows
};

// The text the family's row of the tag builds; nothing when the family has no such row.
std::optional<QString> generate(const FragmentCase &c)
{
    const QString selection = QString::fromUtf16(c.selection);
    switch (c.family) {
    case Family::TextFormat:
        if (const auto *row = TextFormatFragments::row(c.tag))
            return TextFormatFragments::build(*row, selection, c.dialog);
        break;
    case Family::Align:
        if (const auto *row = AlignFragments::row(c.tag))
            return AlignFragments::build(*row, selection);
        break;
    case Family::Paragraph:
        if (const auto *row = ParagraphFragments::row(c.tag))
            return ParagraphFragments::build(*row, selection);
        break;
    case Family::Image:
        if (const auto *row = InsertFragments::imageRow(c.tag))
            return InsertFragments::image(*row);
        break;
    case Family::Link:
        if (const auto *row = InsertFragments::linkRow(c.tag))
            return InsertFragments::link(*row, selection);
        break;
    case Family::Table:
        if (const auto *row = TableFragments::row(c.tag))
            return TableFragments::build(*row, c.table);
        break;
    case Family::Style:
        if (const auto *row = TemplateFragments::styleRow(c.tag))
            return TemplateFragments::text(*row);
        break;
    case Family::Script:
        if (const auto *row = TemplateFragments::scriptRow(c.tag))
            return TemplateFragments::text(*row);
        break;
    case Family::Form:
        if (const auto *row = TemplateFragments::formRow(c.tag))
            return TemplateFragments::text(*row);
        break;
    }
    return std::nullopt;
}

using namespace Qt::StringLiterals;

// Texts that start or end several expected literals, joined to them by the compiler so each row
// still reads as one literal: the table head with the first settings, and the questionnaire body.
#define TABLE_HEAD                                                                                                     \
    u"<table border=\"1\" width=\"120\" height=\"50\" bordercolor=\"#000080\" cellspacing=\"1\">\r\n"                  \
    u"<caption>表のタイトル</caption>\r\n"
#define QUESTIONNAIRE                                                                                                      \
    u"最も印象に残った講義は？<BR>\r\n<input type=\"hidden\" name=\"アンケート結果\" value=\"\">"       \
    u"<input type=\"radio\" name=\"KOGI\" value=\"LANの仕組み\">LANの仕組み<br>\r\n"                               \
    u"<input type=\"radio\" name=\"KOGI\" value=\"著作権\">著作権<br>\r\n"                                           \
    u"<input type=\"radio\" name=\"KOGI\" value=\"ﾎｰﾑﾍﾟｰｼﾞ作成\">ﾎｰﾑﾍﾟｰｼﾞ作成<br>\r\n" \
    u"<p>自由意見<br>\r\n<textarea name=\"MESSAGE\" rows=\"10\" cols=\"40\">\r\n</textarea></p>\r\n"                   \
    u"<input type=\"submit\" value=\"送信\">\r\n<input type=\"reset\" value=\"取消\">\r\n</form>"

const FragmentCase kCases[] = {
    // 文字
    {"FontSizeBeforeColor",
     Family::TextFormat,
     0,
     u"S",
     u"<font size=\"4\" color=\"#FF0000\">S</font>",
     accepted(true, true, "4", "#FF0000")},
    {"FontColorOnly",
     Family::TextFormat,
     0,
     u"S",
     u"<font color=\"RGB(255,0,0)\">S</font>",
     accepted(true, false, "4", "RGB(255,0,0)")},
    {"FontSizeOnlyIgnoresColorText",
     Family::TextFormat,
     0,
     u"",
     u"<font size=\"+2\"></font>",
     accepted(false, true, "+2", "#000000")},
    {"FontCancelled", Family::TextFormat, 0, u"S", u"", accepted(true, true, "4", "")},
    {"BaseFontOpensOnly",
     Family::TextFormat,
     1,
     u"S",
     u"<basefont size=\"7\">S",
     accepted(false, true, "7", "#000000")},
    {"BaseFontCancelled", Family::TextFormat, 1, u"S", u"", accepted(false, true, "7", "")},
    {"BoldEmpty", Family::TextFormat, 2, u"", u"<b></b>"},
    {"Italic", Family::TextFormat, 3, u"abc", u"<i>abc</i>"},
    {"Underline", Family::TextFormat, 4, u"abc", u"<u>abc</u>"},
    {"StrikeMultiLine", Family::TextFormat, 5, u"a\r\nb", u"<strike>a\r\nb</strike>"},
    {"Heading", Family::TextFormat, 6, u"見出し", u"<h1>見出し</h1>"},

    // 書式
    {"DivLeft", Family::Align, 0, u"x", u"<div align=\"left\">x</div>"},
    {"DivCenter", Family::Align, 1, u"x", u"<div align=\"center\">x</div>"},
    {"DivRightEmpty", Family::Align, 2, u"", u"<div align=\"right\"></div>"},
    {"AttributeLeftEmpty", Family::Align, 3, u"", u" align=\"left\""},
    {"AttributeCenterLeadsSelection", Family::Align, 4, u"x", u" align=\"center\"x"},
    {"AttributeRightLeadsSelection", Family::Align, 5, u"x", u" align=\"right\"x"},

    // 段落: every text ends with a line end
    {"BreakAlone", Family::Paragraph, 0, u"", u"<br>\r\n"},
    {"BreakAfterText", Family::Paragraph, 0, u"abc", u"abc<br>\r\n"},
    {"ClearAlone", Family::Paragraph, 1, u"", u"<br clear=\"all\">\r\n"},
    {"ClearAfterText", Family::Paragraph, 1, u"abc", u"abc<br clear=\"all\">\r\n"},
    {"ParagraphWraps", Family::Paragraph, 2, u"abc", u"<p>\r\nabc\r\n</p>\r\n"},
    {"ParagraphSample", Family::Paragraph, 2, u"", u"<p>これは段落です。前後に空行が入ります。</p>\r\n"},
    {"DivWraps", Family::Paragraph, 3, u"abc", u"<div>\r\nabc\r\n</div>\r\n"},
    {"DivSample", Family::Paragraph, 3, u"", u"<div>これは段落です。前後に空行が入りません。</div>\r\n"},
    {"OrderedListReplacesSelection",
     Family::Paragraph,
     4,
     u"gone",
     u"\u3000<ol>番号付きリスト\r\n\u3000\u3000<li>リスト１\r\n\u3000\u3000<li>リスト２\r\n\u3000</ol>\r\n"},
    {"OrderedListSample",
     Family::Paragraph,
     4,
     u"",
     u"\u3000<ol>番号付きリスト\r\n\u3000\u3000<li>リスト１\r\n\u3000\u3000<li>リスト２\r\n\u3000</ol>\r\n"},
    {"BulletListReplacesSelection",
     Family::Paragraph,
     5,
     u"gone",
     u"\u3000<ul>記号付きリスト\r\n\u3000\u3000<li>リスト１\r\n\u3000\u3000<li>リスト２\r\n\u3000</ul>\r\n"},
    {"BulletListSample",
     Family::Paragraph,
     5,
     u"",
     u"\u3000<ul>記号付きリスト\r\n\u3000\u3000<li>リスト１\r\n\u3000\u3000<li>リスト２\r\n\u3000</ul>\r\n"},
    {"DefinitionOfTwoLines",
     Family::Paragraph,
     6,
     u"HTML\r\nmarkup\r\n",
     u"<dl>\r\n\u3000<dt>HTML\r\n\u3000<dd>markup\r\n</dl>\r\n"},
    {"DefinitionOfOneWordIsTheSample",
     Family::Paragraph,
     6,
     u"word",
     u"<dl>\r\n\u3000<dt>ＨＴＭＬとは\r\n\u3000<dd>"
     u"WWW上に配信するファイルを作成するために使われるプログラム言語の一種です"
     u"\r\n</dl>\r\n"},
    {"DefinitionOfOneLineWithBlanksIsTheSample",
     Family::Paragraph,
     6,
     u"\r\n  word \t\r\n\r\n",
     u"<dl>\r\n\u3000<dt>ＨＴＭＬとは\r\n\u3000<dd>"
     u"WWW上に配信するファイルを作成するために使われるプログラム言語の一種です"
     u"\r\n</dl>\r\n"},
    {"DefinitionSample",
     Family::Paragraph,
     6,
     u"",
     u"<dl>\r\n\u3000<dt>ＨＴＭＬとは\r\n\u3000<dd>"
     u"WWW上に配信するファイルを作成するために使われるプログラム言語の一種です"
     u"\r\n</dl>\r\n"},
    {"QuoteDropsBlankLines",
     Family::Paragraph,
     7,
     u"title\r\n\r\ntext",
     u"title<blockquote>\r\ntext\r\n</blockquote>\r\n"},
    {"QuoteKeepsFullWidthSpaces",
     Family::Paragraph,
     7,
     u"\u3000題\r\n\r\n\u3000本文\u3000",
     u"\u3000題<blockquote>\r\n\u3000本文\u3000\r\n</blockquote>\r\n"},
    {"QuoteOfOneLineIsTheSample",
     Family::Paragraph,
     7,
     u"title",
     u"引用文のタイトル<blockquote>これは引用文です。前後に空行が入ります。\r\n\u3000\u3000</blockquote>\r\n"},
    {"QuoteSample",
     Family::Paragraph,
     7,
     u"",
     u"引用文のタイトル<blockquote>これは引用文です。前後に空行が入ります。\r\n\u3000\u3000</blockquote>\r\n"},

    // 挿入: the image tag replaces the selection without using it
    {"ImageLeft", Family::Image, 0, u"", u"<img src=\"画像ファイル名\" align=\"left\" alt=\"この画像は○○です\">"},
    {"ImageRight", Family::Image, 1, u"", u"<img src=\"画像ファイル名\" align=\"right\" alt=\"この画像は○○です\">"},

    // 挿入: links
    {"UrlPlaceholder", Family::Link, 0, u"", u"<a href=\"http://ここにURLを入れてね\">ｼﾞｬﾝﾌﾟ先</a>"},
    {"UrlAroundSelectionEvenWithAt", Family::Link, 0, u"a@b", u"<a href=\"http://ここにURLを入れてね\">a@b</a>"},
    {"MailAddressBecomesTarget", Family::Link, 1, u"taro@example.jp", u"<a href=\"mailto:taro@example.jp\"></a>"},
    {"MailNameIsLinkText", Family::Link, 1, u"太郎", u"<a href=\"mailto:ここにメールアドレスを入れてね\">太郎</a>"},
    {"MailPlaceholder", Family::Link, 1, u"", u"<a href=\"mailto:ここにメールアドレスを入れてね\">ｼﾞｬﾝﾌﾟ先</a>"},
    {"JumpPlaceholder",
     Family::Link,
     2,
     u"",
     u"<a href=\"#QZ\">ｼﾞｬﾝﾌﾟ先</a>\r\n"
     u"<br><br><br><br><br><br><br><br><br><br><br><br>"
     u"<br><br><br><br><br><br><br><br><br><br><br><br>"
     u"\r\n<a name=\"QZ\">ここです</a>"},
    {"JumpKeepsPlaceMarkersOfTheSelection",
     Family::Link,
     2,
     u"%1 先",
     u"<a href=\"#QZ\">%1 先</a>\r\n"
     u"<br><br><br><br><br><br><br><br><br><br><br><br>"
     u"<br><br><br><br><br><br><br><br><br><br><br><br>"
     u"\r\n<a name=\"QZ\">ここです</a>"},

    // 表: the head carries the settings' width and height as typed
    {"PlainGridWithTheFirstSettings",
     Family::Table,
     0,
     u"",
     TABLE_HEAD u"<TR><TD>data</TD><TD>data</TD></TR>\r\n"
                u"<TR><TD>data</TD><TD>data</TD></TR>\r\n</table>"},
    {"PlainGridThreeRowsOneColumn",
     Family::Table,
     0,
     u"",
     TABLE_HEAD u"<TR><TD>data</TD></TR>\r\n<TR><TD>data</TD></TR>\r\n<TR><TD>data</TD></TR>\r\n</table>",
     {},
     {u"3"_s, u"1"_s, u"120"_s, u"50"_s}},
    {"PlainGridPercentWidthAndEmptyHeight",
     Family::Table,
     0,
     u"",
     u"<table border=\"1\" width=\"80%\" height=\"\" bordercolor=\"#000080\" cellspacing=\"1\">\r\n"
     u"<caption>表のタイトル</caption>\r\n<TR><TD>data</TD></TR>\r\n</table>",
     {},
     {u"1"_s, u"1"_s, u"80%"_s, QString()}},
    {"PlainGridOfNoRows", Family::Table, 0, u"", TABLE_HEAD u"</table>", {}, {u"0"_s, u"5"_s, u"120"_s, u"50"_s}},
    {"PlainGridOfEmptyRows",
     Family::Table,
     0,
     u"",
     TABLE_HEAD u"<TR></TR>\r\n<TR></TR>\r\n</table>",
     {},
     {u"2"_s, u"-3"_s, u"120"_s, u"50"_s}},
    {"FirstRowEmphasised",
     Family::Table,
     1,
     u"",
     TABLE_HEAD u"  <tr bgcolor=\"#ff00cc\"><th>data1</th><th>data2</th></tr>\r\n"
                u"  <tr><td>data3</td><td>data4</td></tr>\r\n</table>"},
    {"FirstColumnEmphasisedIgnoresRowsAndColumns",
     Family::Table,
     2,
     u"",
     TABLE_HEAD u"  <tr><th bgcolor=\"#ff00cc\">data1</th><td>data2</td></tr>\r\n"
                u"  <tr><th bgcolor=\"#ff00cc\">data3</th><td>data4</td></tr>\r\n</table>",
     {},
     {u"abc"_s, u""_s, u"120"_s, u"50"_s}},
    {"CellsJoinedAcrossRows",
     Family::Table,
     3,
     u"",
     TABLE_HEAD u"  <tr>\r\n    <th rowspan=\"3\" bgcolor=\"#ff00cc\">行結合</th>\r\n    "
                u"<td>data1</td><td>data2</td>\r\n"
                u"  </tr>\r\n  <tr><td>data3</td><td>data4</td></tr>\r\n  "
                u"<tr><td>data5</td><td>data6</td></tr>\r\n</table>"},
    {"CellsJoinedAcrossColumns",
     Family::Table,
     4,
     u"",
     TABLE_HEAD u"  <tr><th colspan=\"3\" bgcolor=\"#ff00cc\">列結合</th>\r\n  </tr>\r\n  <tr>\r\n"
                u"    <td>data1</td><td>data2</td><td>data3</td>\r\n  </tr>\r\n  <tr>\r\n"
                u"    <td>data4</td><td>data5</td><td>data6</td>\r\n  </tr>\r\n</table>"},

    // ｽﾀｲﾙｼｰﾄ
    {"StyleBlock",
     Family::Style,
     0,
     u"",
     u"\r\n<STYLE type=\"text/css\">\r\n <!--\r\n  /* ここにスタイル定義を記述する */\r\n -->\r\n</STYLE>\r\n"},
    {"StyleSheetLink", Family::Style, 1, u"", u"\r\n<LINK rel=stylesheet href=\"QZ.css\" type=\"text/css\">\r\n"},

    // スクリプト
    {"ScriptBlock", Family::Script, 0, u"", u"\r\n<SCRIPT LANGUAGE=\"JavaScript\">\r\n<!--\r\n//-->\r\n</SCRIPT>\r\n"},
    {"BoldOnMouseOver",
     Family::Script,
     1,
     u"",
     u"<p onMouseover=\"this.style.fontWeight='bold'\" onMouseout=\"this.style.fontWeight='normal'\">QZtitle</p>"},
    {"BackgroundOnMouseOver",
     Family::Script,
     2,
     u"",
     u"<span onmouseover=\"this.style.background='pink';\" onmouseout=\"this.style.background='#ffffff';\">\r\n"
     u"<a href=\"http://ここにURLを入れてね\">ｼﾞｬﾝﾌﾟ先</a>\r\n</span>"},
    {"CommentOnMouseOver",
     Family::Script,
     3,
     u"",
     u"<div onmouseover=\"com1.style.visibility='visible'\" "
     u"onmouseout=\"com1.style.visibility='hidden'\">アイリーン＝アドラー"
     u"</div>\r\n<p class=\"comment\" id=\"com1\" "
     u"style=\"visibility:hidden\">\u3000女性に興味を持たない名探偵ホームズが、"
     u"生涯で<br>\u3000ただひとりその能力を認め、尊敬した女性</p>"},
    {"ExternalScript",
     Family::Script,
     4,
     u"",
     u"\r\n<SCRIPT LANGUAGE=\"JavaScript\" SRC=\"QZ.js\">\r\n<!--\r\n//-->\r\n</SCRIPT>\r\n"},

    // フォーム: the mail form's action has no quotes
    {"MailQuestionnaire",
     Family::Form,
     0,
     u"",
     u"<form action=mailto:ここにメールアドレスをいれてね method=\"post\" enctype=\"text/plain\">" QUESTIONNAIRE},
    {"CgiQuestionnaire", Family::Form, 1, u"", u"<form action=\"kekka.cgi\" method=\"post\">" QUESTIONNAIRE},
    {"TextBox", Family::Form, 2, u"", u"<input type=\"text\" name=\"name\">"},
    {"TextArea", Family::Form, 3, u"", u"<textarea name=\"name\" rows=\"5\" cols=\"30\"></textarea>"},
    {"RadioButtons",
     Family::Form,
     4,
     u"",
     u"<input type=\"radio\" name=\"ラジオ\" value=\"送信する値\">男\r\n"
     u"<input type=\"radio\" name=\"ラジオ\" value=\"送信する値\">女"},
    {"CheckBoxes",
     Family::Form,
     5,
     u"",
     u"<input type=\"checkbox\" name=\"チェック\" value=\"送信する値\">ruz職員\r\n"
     u"<input type=\"checkbox\" name=\"チェック\" value=\"送信する値\">市町村職員"},
    {"ComboBox",
     Family::Form,
     6,
     u"",
     u"<select name=\"name\">\r\n <option value=\"コンボ１\">選択肢1\r\n <option value=\"コンボ２\">選択肢2\r\n"
     u" <option value=\"コンボ３\">選択肢3\r\n</select>"},
};

class FragmentTextTest : public ::testing::TestWithParam<FragmentCase>
{};

TEST_P(FragmentTextTest, IsTheExactText)
{
    const FragmentCase &c = GetParam();
    const std::optional<QString> text = generate(c);
    ASSERT_TRUE(text.has_value()) << "no row for tag " << c.tag;
    EXPECT_EQ(*text, QString::fromUtf16(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Fragments, FragmentTextTest, ::testing::ValuesIn(kCases), [](const auto &info) {
    return std::string(info.param.name);
});

// A row added to a family without a text above would go untested.
TEST(FragmentTexts, EveryRowOfEveryFamilyHasItsText)
{
    const std::pair<Family, std::vector<int>> families[] = {
        {Family::TextFormat, TextFormatFragments::kTable.tags()},
        {Family::Align, AlignFragments::kTable.tags()},
        {Family::Paragraph, ParagraphFragments::kTable.tags()},
        {Family::Image, InsertFragments::kImageTable.tags()},
        {Family::Link, InsertFragments::kLinkTable.tags()},
        {Family::Table, TableFragments::kTable.tags()},
        {Family::Style, TemplateFragments::kStyleTable.tags()},
        {Family::Script, TemplateFragments::kScriptTable.tags()},
        {Family::Form, TemplateFragments::kFormTable.tags()},
    };
    for (const auto &[family, tags] : families) {
        EXPECT_FALSE(tags.empty());
        for (int tag : tags) {
            const bool covered = std::any_of(std::begin(kCases), std::end(kCases), [&](const FragmentCase &c) {
                return c.family == family && c.tag == tag;
            });
            EXPECT_TRUE(covered) << "family " << int(family) << " tag " << tag;
        }
    }
}

TEST(TextFormatRows, OnlyTheTwoFontItemsAskTheDialogWithTheirPresets)
{
    EXPECT_FALSE(TextFormatFragments::row(0)->dialog->useColor.value());
    EXPECT_FALSE(TextFormatFragments::row(0)->dialog->useSize.value());
    EXPECT_TRUE(TextFormatFragments::row(1)->dialog->useSize.value());
    EXPECT_FALSE(TextFormatFragments::row(1)->dialog->useColor.value());
    for (int tag = 2; tag <= 6; ++tag)
        EXPECT_FALSE(TextFormatFragments::row(tag)->dialog.has_value()) << tag;
}

// --- 段落: the selection's first line and the rest -------------------------------------------

TEST(ParagraphSplit, FirstLineAndRestFollowTheTrimmedSelection)
{
    struct Case
    {
        QString selection;
        QString first;
        QString rest;
    };
    const Case cases[] = {
        {q("  a\r\n\r\n\r\n  b\r\nc  \r\n"), q("a"), q("  b\r\nc")}, // blanks before the rest stay
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

// --- 挿入: the single items -------------------------------------------------------------------

TEST(InsertFragments, RuleAndBackground)
{
    EXPECT_EQ(InsertFragments::horizontalRule(), q("<hr>"));
    EXPECT_EQ(InsertFragments::backgroundColorAttribute(q("$0080FF")), q(" bgcolor=\"$0080FF\""));
    EXPECT_EQ(InsertFragments::backgroundColorAttribute(QString()), QString());
}

// --- 基本形 ----------------------------------------------------------------------------------

TEST(PageSkeleton, CaretLandsOnTheBlankLineAtByte184Of202)
{
    const QString text = PageSkeleton::text();
    EXPECT_EQ(text,
              q("<html>\r\n<head><title>&lt;タイトルになります&gt;</title></head>\r\n"
                "<body background=\"背景画像ファイル名\" bgcolor=\"#ffffff\" text=\"#000000\" "
                "link=\"#0000ff\" vlink=\"#cc00ff\" alink=\"#ff0000\">\r\n\r\n</body>\r\n</html>"));
    const QByteArray bytes = Cp932Codec::encode(text, {}, nullptr);
    EXPECT_EQ(bytes.size(), 202);
    const QByteArray before = Cp932Codec::encode(text.left(PageSkeleton::caretPosition()), {}, nullptr);
    EXPECT_EQ(before.size(), 184);
    EXPECT_EQ(text.mid(PageSkeleton::caretPosition()), q("\r\n</body>\r\n</html>"));
}

} // namespace
