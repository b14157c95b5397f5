// Rewriting stretches of a page file: every byte outside them as it was (CP932's second
// spellings, mixed line ends, a byte order mark), the new text in the file's own encoding and
// line end, and a refusal, with the reason, where that cannot be promised.
#include "workspace/spanrewrite.h"

#include "common/lineends.h"
#include "common/textcodec.h"

#include <gtest/gtest.h>

namespace {

struct Case
{
    const char *name;
    QByteArray bytes;
    QString find; // every occurrence in the page's CR LF text is replaced
    QString with;
    QByteArray expected; // empty: refused
    QString refusalMentions = {};
};

QList<SpanRewrite::Edit> editsFor(const QByteArray &bytes, const QString &find, const QString &with)
{
    DecodedText decoded = TextCodec::decode(bytes);
    LineEnds::convert(decoded.text, LineEnd::CrLf);
    QList<SpanRewrite::Edit> edits;
    for (qsizetype at = decoded.text.indexOf(find); at >= 0; at = decoded.text.indexOf(find, at + find.size()))
        edits.append({int(at), int(find.size()), with});
    return edits;
}

QByteArray sjis(const char *bytes)
{
    return QByteArray(bytes);
}

const Case kCases[] = {
    {"ShiftJisWithLfKeepsItsLineEnds",
     sjis("<p>\x93\xfa\x96\x7b</p>\n<p>tel 03-1111</p>\n"),
     QStringLiteral("03-1111"),
     QStringLiteral("03-2222"),
     sjis("<p>\x93\xfa\x96\x7b</p>\n<p>tel 03-2222</p>\n")},
    // ⅰ written in its NEC-selected form (EE EF), which the encoder alone would write as FA 40.
    {"ShiftJisSecondSpellingsStay",
     sjis("\xee\xef abc \xee\xef\r\nabc"),
     QStringLiteral("abc"),
     QStringLiteral("\u65e5"),
     sjis("\xee\xef \x93\xfa \xee\xef\r\n\x93\xfa")},
    // The file's majority is CR LF: a line end in the new text is written so, the LF left alone.
    {"MixedLineEndsStayMixed",
     sjis("a\r\nb\nx\r\nc\r\n"),
     QStringLiteral("x"),
     QStringLiteral("y\r\nz"),
     sjis("a\r\nb\ny\r\nz\r\nc\r\n")},
    {"MatchAcrossALfLineEnd",
     sjis("one\ntwo\nthree\n"),
     QStringLiteral("one\r\ntwo"),
     QStringLiteral("1"),
     sjis("1\nthree\n")},
    {"Utf8WithByteOrderMark",
     QByteArray("\xEF\xBB\xBF") + QStringLiteral("猫と犬\r\n猫").toUtf8(),
     QStringLiteral("猫"),
     QStringLiteral("ねこ"),
     QByteArray("\xEF\xBB\xBF") + QStringLiteral("ねこと犬\r\nねこ").toUtf8()},
    // Positions after a character outside the BMP (two UTF-16 units, four bytes).
    {"Utf8AfterAnEmoji",
     QStringLiteral("<meta charset=\"utf-8\">😀 猫 😀 猫").toUtf8(),
     QStringLiteral("猫"),
     QStringLiteral("🐈"),
     QStringLiteral("<meta charset=\"utf-8\">😀 🐈 😀 🐈").toUtf8()},
    {"ShiftJisCannotHoldTheNewText",
     sjis("<p>cat</p>"),
     QStringLiteral("cat"),
     QStringLiteral("😀"),
     {},
     QStringLiteral("U+1F600")},
    {"UnreadableBytesAreNotTouched",
     sjis("<p>cat \x85\x40 \xa0</p>\n<p>\x93\xfa\x96\x7b\x93\xfa\x96\x7b\x93\xfa\x96\x7b\x93\xfa\x96\x7b</p>"),
     QStringLiteral("cat"),
     QStringLiteral("dog"),
     {},
     QStringLiteral("読めないバイト")},
    // Editing the declaration away would make the page open as Shift_JIS, garbled.
    {"NewBytesMustReadBackAsTheText",
     QStringLiteral("<meta charset=\"utf-8\"><p>café</p>").toUtf8(),
     QStringLiteral("<meta charset=\"utf-8\">"),
     QString(),
     {},
     QStringLiteral("読めなくなります")},
};

class SpanRewriteTest : public ::testing::TestWithParam<Case>
{};

TEST_P(SpanRewriteTest, RewritesOnlyTheEditedBytes)
{
    const Case &c = GetParam();
    const QList<SpanRewrite::Edit> edits = editsFor(c.bytes, c.find, c.with);
    ASSERT_FALSE(edits.isEmpty());
    const auto result = SpanRewrite::apply(c.bytes, edits);
    if (c.expected.isEmpty()) {
        const auto *refusal = std::get_if<SpanRewrite::Refusal>(&result);
        ASSERT_NE(refusal, nullptr);
        EXPECT_TRUE(refusal->reason.contains(c.refusalMentions)) << refusal->reason.toStdString();
        return;
    }
    const auto *bytes = std::get_if<QByteArray>(&result);
    ASSERT_NE(bytes, nullptr) << std::get<SpanRewrite::Refusal>(result).reason.toStdString();
    EXPECT_EQ(*bytes, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Pages, SpanRewriteTest, ::testing::ValuesIn(kCases), [](const auto &info) {
    return std::string(info.param.name);
});

} // namespace
