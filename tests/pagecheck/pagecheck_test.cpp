#include "pagecheck/pagecheck.h"

#include "authoring/pageskeleton.h"
#include "common/textcodec.h"
#include "pagecheck/checksentences.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

namespace {

using Level = CheckRow::Level;
using Encoding = TextFormat::Encoding;

struct ExpectedRow
{
    Level level;
    int line;
    int column;
    const char *key;
};

struct PageCase
{
    const char *name;
    Encoding encoding;
    const char *page;
    std::vector<ExpectedRow> rows;
    const char *address = "";
};

const char kUtf8Head[] = "<!DOCTYPE html>\n<html><head><meta charset=\"UTF-8\"><title>t</title><meta name=\"viewport\" "
                         "content=\"width=device-width\"></head>\n";

std::string utf8Page(const char *body)
{
    return std::string(kUtf8Head) + "<body>\n" + body + "\n</body></html>\n";
}

void expectRows(const CheckRows &actual, const std::vector<ExpectedRow> &expected, const char *name)
{
    ASSERT_EQ(actual.size(), qsizetype(expected.size()))
        << name << ": first row " << (actual.isEmpty() ? "" : actual.first().key.toStdString());
    for (size_t i = 0; i < expected.size(); ++i) {
        const CheckRow &row = actual.at(qsizetype(i));
        EXPECT_EQ(row.level, expected[i].level) << name << " row " << i << " " << row.key.toStdString();
        EXPECT_EQ(row.line, expected[i].line) << name << " row " << i << " " << row.key.toStdString();
        EXPECT_EQ(row.column, expected[i].column) << name << " row " << i << " " << row.key.toStdString();
        EXPECT_EQ(row.key, QString::fromLatin1(expected[i].key)) << name << " row " << i;
        EXPECT_FALSE(row.sentence.isEmpty()) << name << " row " << i;
    }
}

TEST(PageCheckTest, FindsEachFaultWhereTheUserSeesIt)
{
    const PageCase pages[] = {
        {"fine UTF-8 page", Encoding::Utf8, "", {}},
        {"fine Shift_JIS page",
         Encoding::Cp932,
         "<!DOCTYPE html>\n<html><head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\n"
         "<title>日本語</title><meta name=\"viewport\" "
         "content=\"width=device-width\"></head>\n<body><p>こんにちは</p></body></html>\n",
         {}},
        {"declared UTF-8, saved as Shift_JIS",
         Encoding::Cp932,
         "<!DOCTYPE html>\n<html><head><meta charset=\"UTF-8\"><title>日本語</title><meta name=\"viewport\" "
         "content=\"width=device-width\"></head>\n<body></body></html>\n",
         {{Level::Error, 2, 28, CheckSentences::kCharsetMismatch}}},
        {"no declaration",
         Encoding::Cp932,
         "<!DOCTYPE html>\n<html>\n  <head><title>日本語</title><meta name=\"viewport\" "
         "content=\"width=device-width\"></head>\n<body></body></html>\n",
         {{Level::Error, 3, 3, CheckSentences::kCharsetMissing}}},
        {"no title",
         Encoding::Utf8,
         "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><meta name=\"viewport\" "
         "content=\"width=device-width\"></head>\n<body></body></html>\n",
         {{Level::Error, 2, 7, "MISSING_TITLE_ELEMENT"}}},
    };
    for (const PageCase &c : pages) {
        const std::string text = *c.page ? std::string(c.page) : utf8Page("<p>fine</p>");
        const CheckRows rows =
            PageCheck::run({QString::fromStdString(text), {}, c.encoding, QString::fromLatin1(c.address)});
        expectRows(rows, c.rows, c.name);
    }
}

struct BodyCase
{
    const char *name;
    const char *body; // placed from line 4 of a page that is otherwise fine
    std::vector<ExpectedRow> rows;
};

TEST(PageCheckTest, FindsMarkupFaultsWithColumnsInCharacters)
{
    const BodyCase cases[] = {
        {"unclosed element", "<div><p>x</p>", {{Level::Error, 4, 1, "MISSING_ENDTAG_FOR"}}},
        // A tab is one character to the user and up to eight columns to tidy.
        {"misnested after tabs", "<p>\t\t<b><i>x</b></i></p>", {{Level::Error, 4, 9, "NON_MATCHING_ENDTAG"}}},
        {"misnested after Japanese text and an emoji",
         "<p>日本語😀<b><i>x</b></i></p>",
         {{Level::Error, 4, 11, "NON_MATCHING_ENDTAG"}}},
        {"stray end tag", "<p>x</p>\n</span>", {{Level::Error, 5, 1, "DISCARDING_UNEXPECTED"}}},
        {"image without alt",
         "<p><img src=\"http://example.com/a.png\"></p>",
         {{Level::Error, 4, 4, "MISSING_ATTRIBUTE"}}},
        {"duplicate id", "<p id=\"a\">x</p>\n<p id=\"a\">y</p>", {{Level::Error, 5, 1, "ANCHOR_NOT_UNIQUE"}}},
        {"attribute without its closing quote",
         "<p class=\"x>y</p>\n<p>z</p>\n<p class=\"b\">c</p>",
         {{Level::Error, 4, 1, "MISSING_QUOTEMARK"}}},
        // What the program's own commands write is never more than a hint.
        {"font and center",
         "<font color=\"red\">f</font>\n<center>c</center>",
         {{Level::Hint, 4, 1, "REMOVED_HTML5"}, {Level::Hint, 5, 1, "REMOVED_HTML5"}}},
    };
    for (const BodyCase &c : cases) {
        const CheckRows rows = PageCheck::run({QString::fromStdString(utf8Page(c.body)), {}, Encoding::Utf8, {}});
        expectRows(rows, c.rows, c.name);
    }
}

// Small pages written for this test, each with what real pages showed called wrongly an error:
// read from their bytes as the program opens them, checked as they would be saved. No row but
// the expected ones is an エラー, and each expected row names what tidy named.
struct FalseAlarmCase
{
    const char *name;
    std::string page; // UTF-8 here, stored as the test says
    Encoding stored;
    const char *key; // the row that must be there; empty: no row at all
    Level level;
    std::vector<const char *> says;
    std::vector<const char *> doesNotSay;
};

const char kHtml401[] =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" \"http://www.w3.org/TR/html4/loose.dtd\">\r\n";

std::string page401(const char *body)
{
    return std::string(kHtml401)
        + "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
          "<title>表</title><meta name=\"viewport\" content=\"width=device-width\"></head>\r\n<body>\r\n"
        + body + "\r\n</body></html>\r\n";
}

TEST(PageCheckTest, CallsNothingAnErrorThatIsNotOne)
{
    const std::string table = page401("<table border=\"1\" width=\"120\" height=\"50\" bordercolor=\"#000080\" "
                                      "cellspacing=\"1\">\r\n<caption>表のタイトル</caption>\r\n"
                                      "<TR><TD>data</TD></TR>\r\n</table>");
    std::string textInHead = page401("<p>x</p>");
    textInHead.insert(textInHead.find("</head>"), "文字");
    const FalseAlarmCase cases[] = {
        {"a table without summary on an HTML 4.01 page",
         table,
         Encoding::Cp932,
         "MISSING_ATTRIBUTE",
         Level::Hint,
         {"<table>", "summary"},
         {"alt", "画像"}},
        {"an ASCII page that declares UTF-8",
         "<!DOCTYPE html>\n<html><head><meta "
         "charset=\"utf-8\"><title>t</title><meta name=\"viewport\" "
         "content=\"width=device-width\"></head>\n<body><p>ok</p></body></html>\n",
         Encoding::Utf8,
         "",
         Level::Error,
         {},
         {}},
        {"an ASCII page that declares Latin-1",
         "<!DOCTYPE html>\n<html><head><meta charset=\"iso-8859-1\"><title>t</title><meta name=\"viewport\" "
         "content=\"width=device-width\"></head>\n<body></body></html>\n",
         Encoding::Cp932,
         CheckSentences::kCharsetMismatchAscii,
         Level::Caution,
         {"iso-8859-1", "Shift_JIS"},
         {}},
        {"an unknown entity",
         utf8Page("<p>&foo; and more</p>"),
         Encoding::Utf8,
         "UNKNOWN_ENTITY",
         Level::Caution,
         {"&foo"},
         {"タグ"}},
        {"an empty href",
         utf8Page("<p><a href=\"\">here</a></p>"),
         Encoding::Utf8,
         "MISSING_ATTR_VALUE",
         Level::Hint,
         {"href"},
         {}},
        {"a colour in the dialog's $ notation",
         utf8Page("<p><font color=\"$0080FF\">c</font></p>"),
         Encoding::Utf8,
         "BAD_ATTRIBUTE_VALUE",
         Level::Caution,
         {"<font>", "color", "$0080FF"},
         {}},
        {"text in the head",
         textInHead,
         Encoding::Cp932,
         "TAG_NOT_ALLOWED_IN",
         Level::Error,
         {"<head>"},
         {"plain text"}},
        {"an image without alt",
         utf8Page("<p><img src=\"a.png\"></p>"),
         Encoding::Utf8,
         "MISSING_ATTRIBUTE",
         Level::Error,
         {"<img>", "alt"},
         {"summary"}},
    };
    for (const FalseAlarmCase &c : cases) {
        TextFormat stored;
        stored.encoding = c.stored;
        const DecodedText opened = TextCodec::decode(TextCodec::encode(QString::fromStdString(c.page), stored));
        const CheckRows rows = PageCheck::run({opened.text, {}, opened.format.encoding, {}});
        const QString key = QString::fromLatin1(c.key);
        EXPECT_EQ(key.isEmpty(), rows.isEmpty()) << c.name;
        bool found = false;
        for (const CheckRow &row : rows) {
            // The first row of the key is the one the case is about; others are consequences.
            if (row.key != key || found) {
                EXPECT_NE(row.level, Level::Error)
                    << c.name << ": " << row.key.toStdString() << " " << row.sentence.toStdString();
                continue;
            }
            found = true;
            EXPECT_EQ(row.level, c.level) << c.name;
            for (const char *word : c.says)
                EXPECT_TRUE(row.sentence.contains(QString::fromUtf8(word)))
                    << c.name << ": " << row.sentence.toStdString();
            for (const char *word : c.doesNotSay)
                EXPECT_FALSE(row.sentence.contains(QString::fromUtf8(word)))
                    << c.name << ": " << row.sentence.toStdString();
        }
        EXPECT_EQ(found, !key.isEmpty()) << c.name;
    }
}

// One element left open or misnested is one row, at its start, saying where to close it; the
// places further down where tidy carried it on stay reachable under that row.
struct FoldedRow
{
    const char *key;
    Level level;
    int line;
    int column;
    qsizetype continuations;
};

struct FoldCase
{
    const char *name;
    std::string page;
    std::vector<FoldedRow> rows;
    const char *firstSentence;
};

TEST(PageCheckTest, FoldsWhatOneUnclosedElementCausesIntoOneRow)
{
    const FoldCase cases[] = {
        {"a missing </b> before many blocks",
         utf8Page("<h1>題</h1>\n<p>前置き</p>\n<p>ここから <b>太字</p>\n<ul>\n<li>一</li>\n<li>二</li>\n</ul>\n"
                  "<p>三</p>\n<table><tr><td>四</td><td>五</td></tr></table>\n<div>六</div>\n<p>七</p>"),
         {{"MISSING_ENDTAG_BEFORE", Level::Error, 6, 9, 5}},
         "6 行目の <b> が閉じられていません。閉じる位置に </b> を書いてください（</p> より前に）。"},
        {"paragraphs left open as well",
         utf8Page("<p>x <b>bold\n<p>y\n<p>z</p>"),
         {{"MISSING_ENDTAG_BEFORE", Level::Error, 4, 6, 2}},
         "4 行目の <b> が閉じられていません。閉じる位置に </b> を書いてください（<p> より前に）。"},
        {"misnested",
         utf8Page("<p><b>x <i>y</b> z</i></p>"),
         {{"NON_MATCHING_ENDTAG", Level::Error, 4, 9, 1}},
         "4 行目の <i> が閉じられないうちに </b> が来ています。</b> の前に </i> を書いてください。"},
        {"an old tag left open is old once",
         utf8Page("<font color=\"red\">x\n<p>y</p>"),
         {{"MISSING_ENDTAG_BEFORE", Level::Error, 4, 1, 1}, {"REMOVED_HTML5", Level::Hint, 4, 1, 0}},
         "4 行目の <font> が閉じられていません。閉じる位置に </font> を書いてください（<p> より前に）。"},
        {"two elements left open are two rows",
         utf8Page("<p><b>x</p>\n<p><i>y</p>"),
         {{"MISSING_ENDTAG_BEFORE", Level::Error, 4, 4, 1}, {"MISSING_ENDTAG_BEFORE", Level::Error, 5, 4, 0}},
         "4 行目の <b> が閉じられていません。閉じる位置に </b> を書いてください（</p> より前に）。"},
        {"a <form> tidy opens itself is no element left open",
         page401("<p>x</p><input type=\"text\" name=\"n\"><p>y</p>"),
         {{"TAG_NOT_ALLOWED_IN", Level::Caution, 4, 9, 1}},
         "<input> が <form> の外にあります。送る入力欄なら <form> の中に書いてください。"},
    };
    for (const FoldCase &c : cases) {
        const CheckRows all = PageCheck::run({QString::fromStdString(c.page), {}, Encoding::Utf8, {}});
        CheckRows rows;
        std::copy_if(all.cbegin(), all.cend(), std::back_inserter(rows), [](const CheckRow &row) {
            return !row.key.startsWith(QLatin1String("QZ_CHARSET"));
        });
        ASSERT_EQ(rows.size(), qsizetype(c.rows.size())) << c.name << ": " << rows.value(0).sentence.toStdString();
        for (size_t i = 0; i < c.rows.size(); ++i) {
            const CheckRow &row = rows.at(qsizetype(i));
            const FoldedRow &expected = c.rows[i];
            EXPECT_EQ(row.key, QString::fromLatin1(expected.key)) << c.name << " row " << i;
            EXPECT_EQ(row.level, expected.level) << c.name << " row " << i;
            EXPECT_EQ(std::pair(row.line, row.column), std::pair(expected.line, expected.column))
                << c.name << " row " << i;
            EXPECT_EQ(row.continuations.size(), expected.continuations) << c.name << " row " << i;
            for (const CheckRow &further : row.continuations) {
                EXPECT_GE(std::pair(further.line, further.column), std::pair(row.line, row.column)) << c.name;
                EXPECT_TRUE(further.continuations.isEmpty()) << c.name;
            }
        }
        EXPECT_EQ(rows.first().sentence, QString::fromUtf8(c.firstSentence)) << c.name;
    }
}

// A page without a charset declaration gets, on its row, the declaration it will be saved with;
// made, the page has that declaration and no charset row.
TEST(PageCheckTest, OffersTheDeclarationTheSaveNeeds)
{
    const struct
    {
        const char *name;
        QString page;
        Encoding saved;
        QString mended;
    } cases[] = {
        {"the skeleton, saved as Shift_JIS",
         PageSkeleton::text(),
         Encoding::Cp932,
         QString(PageSkeleton::text())
             .replace(QStringLiteral("<head>"), QStringLiteral("<head><meta charset=\"Shift_JIS\">"))},
        {"a head on lines of its own, saved as UTF-8",
         QStringLiteral("<html>\n<head>\n  <title>日本語</title>\n</head>\n<body></body></html>\n"),
         Encoding::Utf8,
         QStringLiteral(
             "<html>\n<head>\n  <meta charset=\"UTF-8\">\n  <title>日本語</title>\n</head>\n<body></body></html>\n")},
        {"no head",
         QStringLiteral("<html><title>題</title><p>日本語</p></html>"),
         Encoding::Cp932,
         QStringLiteral("<html><meta charset=\"Shift_JIS\"><title>題</title><p>日本語</p></html>")},
        {"no html either",
         QStringLiteral("<title>題</title><p>日本語</p>"),
         Encoding::Utf8,
         QStringLiteral("<meta charset=\"UTF-8\"><title>題</title><p>日本語</p>")},
    };
    for (const auto &c : cases) {
        const CheckRows rows = PageCheck::run({c.page, {}, c.saved, {}});
        const auto missing = std::find_if(rows.cbegin(), rows.cend(), [](const CheckRow &row) {
            return row.key == QLatin1String(CheckSentences::kCharsetMissing);
        });
        ASSERT_NE(missing, rows.cend()) << c.name;
        ASSERT_TRUE(missing->fix) << c.name;
        EXPECT_EQ(QString(c.page).insert(missing->fix->offset, missing->fix->text), c.mended) << c.name;
        for (const CheckRow &row : PageCheck::run({c.mended, {}, c.saved, {}})) {
            EXPECT_FALSE(row.key.startsWith(QLatin1String("QZ_CHARSET"))) << c.name;
            // Nothing else here is an error: the skeleton, mended, has none.
            EXPECT_NE(row.level, Level::Error) << c.name << ": " << row.key.toStdString();
        }
    }
}

TEST(PageCheckTest, ChecksLocalTargetsAgainstTheDocumentFolder)
{
    QTemporaryDir site;
    ASSERT_TRUE(site.isValid());
    ASSERT_TRUE(QDir(site.path()).mkpath(QStringLiteral("img")));
    for (const char *name : {"img/Logo.png", "next.html", "back.jpg"}) {
        QFile file(site.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const std::string page =
        utf8Page("<p><a href=\"next.html\">n</a> <a href=\"gone.html\">g</a></p>\n"
                 "<p><img src=\"img/logo.png\" alt=\"l\"> <img src=\"file:///home/me/a.png\" alt=\"a\"></p>\n"
                 "<div style=\"background: url('Back.jpg')\">b</div>\n"
                 "<p><img src=\"http://example.com/x.png\" alt=\"x\"></p>");
    const QString text = QString::fromStdString(page);
    const std::vector<ExpectedRow> expected = {
        {Level::Error, 4, 39, CheckSentences::kTargetMissing},
        {Level::Error, 5, 14, CheckSentences::kTargetCase},
        {Level::Error, 5, 47, CheckSentences::kLocalPath},
        {Level::Error, 6, 30, CheckSentences::kTargetCase},
        {Level::Caution, 7, 14, CheckSentences::kInsecureImage},
    };
    expectRows(PageCheck::run({text, site.path(), Encoding::Utf8, QStringLiteral("https://example.com/")}),
               expected,
               "with a folder");
    // Untitled: nothing to judge relative targets by, but a local path is wrong anywhere, and an
    // https address the page declares itself counts like the one given.
    const QString declared =
        QString(text).replace(QStringLiteral("<title>t</title>"),
                              QStringLiteral("<title>t</title><link rel=\"canonical\" href=\"https://example.com/\">"));
    expectRows(
        PageCheck::run({declared, {}, Encoding::Utf8, {}}),
        {{Level::Error, 5, 47, CheckSentences::kLocalPath}, {Level::Caution, 7, 14, CheckSentences::kInsecureImage}},
        "untitled");
}

// The two phone hints: a whole page without a viewport declaration gets one offered, just after
// its charset declaration; the phone preview's measure of content wider than the phone is told
// at <body>, and only when it is wider.
TEST(PageCheckTest, SaysWhereAPageDoesNotFitAPhone)
{
    const QString noViewport =
        QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n  <meta charset=\"UTF-8\">\n  <title>t</title>\n</head>\n"
                       "<body>\n<p>a</p>\n</body></html>\n");
    const QString withViewport =
        QString(noViewport)
            .replace(QStringLiteral("<title>"),
                     QStringLiteral("<meta name=\"Viewport\" content=\"width=device-width\"><title>"));
    const PhoneFit wide{360, 812, QStringLiteral("<img src=\"big.jpg\">")};
    const struct
    {
        const char *name;
        QString page;
        std::optional<PhoneFit> fit;
        std::vector<ExpectedRow> rows;
        QString mended; // the page with the viewport row's fix made
    } cases[] = {
        {"no viewport",
         noViewport,
         std::nullopt,
         {{Level::Hint, 3, 1, CheckSentences::kViewportMissing}},
         QString(noViewport)
             .replace(QStringLiteral("UTF-8\">\n"),
                      QStringLiteral("UTF-8\">\n  ") + QLatin1String(CheckSentences::kViewportMarkup) + u'\n')},
        {"a fragment is not judged", QStringLiteral("<meta charset=\"UTF-8\"><p>a</p>"), std::nullopt, {}, {}},
        {"declared, fits", withViewport, PhoneFit{390, 390, QStringLiteral("<p>")}, {}, {}},
        {"declared, wider", withViewport, wide, {{Level::Hint, 7, 1, CheckSentences::kWiderThanPhone}}, {}},
        {"neither",
         noViewport,
         wide,
         {{Level::Hint, 3, 1, CheckSentences::kViewportMissing}, {Level::Hint, 7, 1, CheckSentences::kWiderThanPhone}},
         {}},
    };
    for (const auto &c : cases) {
        PageCheck::Input input{c.page, {}, Encoding::Utf8, {}};
        input.phoneFit = c.fit;
        CheckRows rows = PageCheck::run(input);
        rows.removeIf([](const CheckRow &row) {
            return row.key != QLatin1String(CheckSentences::kViewportMissing)
                && row.key != QLatin1String(CheckSentences::kWiderThanPhone);
        });
        expectRows(rows, c.rows, c.name);
        for (const CheckRow &row : rows) {
            if (row.key == QLatin1String(CheckSentences::kWiderThanPhone)) {
                EXPECT_TRUE(row.sentence.contains(QStringLiteral("812 px"))) << row.sentence.toStdString();
                EXPECT_TRUE(row.sentence.contains(wide.widest)) << row.sentence.toStdString();
            }
            if (row.key == QLatin1String(CheckSentences::kViewportMissing) && !c.mended.isEmpty()) {
                ASSERT_TRUE(row.fix) << c.name;
                const QString mended = QString(c.page).insert(row.fix->offset, row.fix->text);
                EXPECT_EQ(mended, c.mended) << c.name;
                EXPECT_TRUE(PageCheck::run({mended, {}, Encoding::Utf8, {}}).isEmpty()) << c.name;
            }
        }
    }
}

} // namespace
