// The characters a Shift_JIS save cannot hold, found in one pass with their lines, the question
// that offers UTF-8 instead, and the UTF-8 form that reads back as written.
#include "common/unencodablecharacters.h"

#include "common/textcodec.h"

#include <gtest/gtest.h>

namespace {

using Occurrence = UnencodableCharacters::Occurrence;

TEST(UnencodableCharacters, FindsEveryOccurrenceWithItsLine)
{
    const struct
    {
        const char *name;
        QString text;
        QList<Occurrence> named;
        qsizetype total;
    } cases[] = {
        {"ascii", QStringLiteral("<p>plain</p>\r\n"), {}, 0},
        // Kanji, half-width kana, the wave dash, NEC and IBM rows, and a byte no table decodes
        // (kept as a private-use character) are all written back as Shift_JIS.
        {"everything Shift_JIS holds", QStringLiteral("日本ｱｶﾞ\uff5e\u2460\u2170\uf7a0"), {}, 0},
        {"each kind of line end counts once", QStringLiteral("a\r\nb\rc\nd\r\n\u00e9"), {{0xE9, 5}}, 1},
        {"a surrogate pair is one character",
         QStringLiteral("x\r\n") + QString::fromUtf8("\xF0\x9F\x98\x80") + QStringLiteral("y"),
         {{0x1F600, 2}},
         1},
        {"a lone surrogate", QString(QChar(0xD800)) + QStringLiteral("z"), {{0xD800, 1}}, 1},
        {"repeats count each time", QStringLiteral("\u00e9\u00e9\n\u00e9"), {{0xE9, 1}, {0xE9, 1}, {0xE9, 2}}, 3},
        {"only the first few are named",
         QStringLiteral("\u00e0\n\u00e1\n\u00e2\n\u00e3\n\u00e4\n\u00e5\n\u00e6"),
         {{0xE0, 1}, {0xE1, 2}, {0xE2, 3}, {0xE3, 4}, {0xE4, 5}},
         7},
    };
    for (const auto &c : cases) {
        const UnencodableCharacters found = UnencodableCharacters::find(c.text);
        EXPECT_EQ(found.named, c.named) << c.name;
        EXPECT_EQ(found.total, c.total) << c.name;
        EXPECT_EQ(found.isEmpty(), c.total == 0) << c.name;
    }
}

TEST(UnencodableCharacters, QuestionNamesTheCharactersAndEndsWithAFullStop)
{
    const UnencodableCharacters few = UnencodableCharacters::find(QStringLiteral("a\r\n\u00e9 日"));
    ASSERT_EQ(few.total, 1);
    const UnencodableCharacters many =
        UnencodableCharacters::find(QStringLiteral("\u00e0\u00e1\u00e2\n\u00e3\u00e4\u00e5\u00e6\u00e7"));
    const struct
    {
        const char *name;
        const UnencodableCharacters &found;
        bool declared;
        QStringList present;
        QStringList absent;
    } cases[] = {
        {"one, undeclared",
         few,
         false,
         {QStringLiteral("1 個"), QStringLiteral("「é」(U+00E9)\u30002 行目")},
         {QStringLiteral("ほか"), QStringLiteral("宣言")}},
        {"one, declared", few, true, {QStringLiteral("宣言"), QStringLiteral("Shift_JIS")}, {QStringLiteral("ほか")}},
        {"eight",
         many,
         false,
         {QStringLiteral("8 個"), QStringLiteral("「ã」(U+00E3)\u30002 行目"), QStringLiteral("ほか 3 個")},
         {QStringLiteral("「å」")}},
    };
    for (const auto &c : cases) {
        const QString question = c.found.utf8Question(c.declared);
        for (const QString &text : c.present)
            EXPECT_TRUE(question.contains(text))
                << c.name << ": " << text.toStdString() << " in " << question.toStdString();
        for (const QString &text : c.absent)
            EXPECT_FALSE(question.contains(text))
                << c.name << ": " << text.toStdString() << " in " << question.toStdString();
        EXPECT_TRUE(question.contains(QStringLiteral("UTF-8"))) << c.name;
        EXPECT_TRUE(question.endsWith(QStringLiteral("。"))) << c.name;
    }
}

TEST(UnencodableCharacters, DeclarationOfShiftJisInAnySpelling)
{
    const struct
    {
        const char *text;
        bool declared;
    } cases[] = {
        {"<meta charset=\"Shift_JIS\">", true},
        {"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=x-sjis\">", true},
        {"<meta charset='windows-31j'>", true},
        {"<meta charset=\"utf-8\">", false},
        {"<meta charset=\"euc-jp\">", false},
        {"<p>charset=shift_jis</p>", false},
        {"", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(UnencodableCharacters::declaresShiftJis(QString::fromUtf8(c.text)), c.declared) << c.text;
}

TEST(TextCodec, Utf8FallbackCarriesTheMarkOnlyWhenTheBytesWouldReadBackOtherwise)
{
    const struct
    {
        const char *name;
        QString text;
        bool byteOrderMark;
    } cases[] = {
        {"kanji and an emoji read back alone", QStringLiteral("日本") + QString::fromUtf8("\xF0\x9F\x98\x80"), false},
        {"Latin alone would look like half-width kana", QStringLiteral("caf\u00e9"), true},
        {"a Shift_JIS declaration would win", QStringLiteral("<meta charset=\"shift_jis\">日本"), true},
        {"unless the bytes cannot be Shift_JIS", QStringLiteral("<meta charset=\"shift_jis\">日本\ud55c"), false},
    };
    for (const auto &c : cases) {
        const TextFormat format = TextCodec::utf8FormatFor(c.text);
        EXPECT_EQ(format.encoding, TextFormat::Encoding::Utf8) << c.name;
        EXPECT_EQ(format.byteOrderMark, c.byteOrderMark) << c.name;
        const DecodedText back = TextCodec::decode(TextCodec::encode(c.text, format));
        EXPECT_EQ(back.text, c.text) << c.name;
        EXPECT_EQ(back.format.encoding, TextFormat::Encoding::Utf8) << c.name;
    }
}

} // namespace
