#include "common/textcodec.h"

#include "common/cp932codec.h"
#include "common/usererror.h"

#include <gtest/gtest.h>

namespace {

struct DetectionCase
{
    const char *name;
    friend void PrintTo(const DetectionCase &c, std::ostream *os) { *os << c.name; }
    QByteArray bytes;
    TextFormat::Encoding encoding;
    bool bom;
    QString text;
};

class EncodingDetection : public ::testing::TestWithParam<DetectionCase>
{};

TEST_P(EncodingDetection, ChoosesTheEncodingAndKeepsItForWriting)
{
    const DetectionCase &c = GetParam();
    const DecodedText decoded = TextCodec::decode(c.bytes);
    EXPECT_EQ(decoded.format.encoding, c.encoding);
    EXPECT_EQ(decoded.format.byteOrderMark, c.bom);
    EXPECT_EQ(decoded.text, c.text);
    EXPECT_EQ(TextCodec::encode(decoded.text, decoded.format), c.bytes);
    QString consumed = decoded.text;
    EXPECT_EQ(TextCodec::encodeOver(consumed, decoded.format), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    EncodingDetection,
    ::testing::Values(
        DetectionCase{
            "AsciiIsCp932", QByteArray("<html>\r\n"), TextFormat::Encoding::Cp932, false, QStringLiteral("<html>\r\n")},
        DetectionCase{"ShiftJisIsCp932",
                      QByteArray("\x93\xfa\x96\x7b"),
                      TextFormat::Encoding::Cp932,
                      false,
                      QStringLiteral("日本")},
        DetectionCase{"ValidUtf8WithNonAscii",
                      QByteArray("\xe6\x97\xa5\xe6\x9c\xac"),
                      TextFormat::Encoding::Utf8,
                      false,
                      QStringLiteral("日本")},
        DetectionCase{
            "Utf8BomKept", QByteArray("\xef\xbb\xbfok"), TextFormat::Encoding::Utf8, true, QStringLiteral("ok")},
        // Only the first mark is the file's; a second is the text's own U+FEFF.
        DetectionCase{"SecondBomIsText",
                      QByteArray("\xef\xbb\xbf\xef\xbb\xbfok"),
                      TextFormat::Encoding::Utf8,
                      true,
                      QStringLiteral("\uFEFFok")},
        // Valid as neither: a stray UTF-8 lead byte makes it CP932 (half-width kana here).
        DetectionCase{"InvalidUtf8FallsBackToCp932",
                      QByteArray("\xe6\xb1"),
                      TextFormat::Encoding::Cp932,
                      false,
                      QStringLiteral("\u8C4E")},
        // ﾈｺ in Shift_JIS is C8 BA, which UTF-8 would read as one Latin letter.
        DetectionCase{"HalfWidthKanaOnlyShiftJis",
                      QByteArray("<p>\xc8\xba</p>"),
                      TextFormat::Encoding::Cp932,
                      false,
                      QStringLiteral("<p>ﾈｺ</p>")},
        DetectionCase{
            "HalfWidthKanaPairsInALongerPage",
            QByteArray("<html><body>\r\n<p>\xc8\xba \xc0\xb2\xd1 \xb6\xc3\xde\xba\xde\xd8</p>\r\n</body></html>"),
            TextFormat::Encoding::Cp932,
            false,
            QStringLiteral("<html><body>\r\n<p>ﾈｺ ﾀｲﾑ ｶﾃﾞｺﾞﾘ</p>\r\n</body></html>")},
        // Nothing in the bytes tells the two apart, so the page's own word decides.
        DetectionCase{"AsciiDeclaringUtf8IsUtf8",
                      QByteArray("<meta charset=\"utf-8\"><p>ok</p>\r\n"),
                      TextFormat::Encoding::Utf8,
                      false,
                      QStringLiteral("<meta charset=\"utf-8\"><p>ok</p>\r\n")},
        DetectionCase{"AsciiDeclaringShiftJisIsCp932",
                      QByteArray("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">ok"),
                      TextFormat::Encoding::Cp932,
                      false,
                      QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">ok")},
        DetectionCase{"ShiftJisMetaDeclarationWins",
                      QByteArray("<meta charset=\"Shift_JIS\"><p>\xc8\xba</p>"),
                      TextFormat::Encoding::Cp932,
                      false,
                      QStringLiteral("<meta charset=\"Shift_JIS\"><p>ﾈｺ</p>")},
        DetectionCase{
            "Utf8DeclarationWinsForTwoByteText",
            QByteArray("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\"><p>caf\xc3\xa9</p>"),
            TextFormat::Encoding::Utf8,
            false,
            QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\"><p>café</p>")},
        DetectionCase{"XmlDeclarationWindows31j",
                      QByteArray("<?xml version=\"1.0\" encoding='windows-31j'?>\xc8\xba"),
                      TextFormat::Encoding::Cp932,
                      false,
                      QStringLiteral("<?xml version=\"1.0\" encoding='windows-31j'?>ﾈｺ")},
        // The declaration is wrong when the bytes cannot be read its way.
        DetectionCase{"DeclaredShiftJisButOnlyUtf8Reads",
                      QByteArray("<meta charset=x-sjis><p>\xe7\x8c\xab\xe3\x80\x80\xe7\x8a\xac</p>"),
                      TextFormat::Encoding::Utf8,
                      false,
                      QStringLiteral("<meta charset=x-sjis><p>猫\u3000犬</p>")},
        DetectionCase{"DeclaredUtf8ButShiftJisBytes",
                      QByteArray("<meta charset=utf-8><p>\x94\x4c\x82\xc6\x8c\xa2</p>"),
                      TextFormat::Encoding::Cp932,
                      false,
                      QStringLiteral("<meta charset=utf-8><p>猫と犬</p>")},
        DetectionCase{
            "Utf8JapaneseWithoutDeclaration",
            QByteArray("<html><body><p>\xe7\x8c\xab\xe3\x81\xae\xe3\x83\x9a\xe3\x83\xbc\xe3\x82\xb8</p></body></html>"),
            TextFormat::Encoding::Utf8,
            false,
            QStringLiteral("<html><body><p>猫のページ</p></body></html>")},
        DetectionCase{"ShiftJisJapaneseWithoutDeclaration",
                      QByteArray("<html><body><p>\x94\x4c\x82\xcc\x83\x79\x81\x5b\x83\x57</p></body></html>"),
                      TextFormat::Encoding::Cp932,
                      false,
                      QStringLiteral("<html><body><p>猫のページ</p></body></html>")}),
    [](const auto &info) { return std::string(info.param.name); });

// A file is written back with the line end it was read with: a Perl script with LF stays LF
// however the editor hands its text out (CR LF), and mixed line ends follow the majority.
TEST(TextCodec, LineEndsAreReadAndWrittenBackAsTheFileHadThem)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        LineEnd lineEnd;
        QByteArray written; // from the text with every line end as CR LF
    } cases[] = {
        {"Lf", "#!/usr/bin/perl\nprint \"\x95\x5c\";\n", LineEnd::Lf, "#!/usr/bin/perl\nprint \"\x95\x5c\";\n"},
        {"CrLf", "<p>\x93\xfa</p>\r\n<br>\r\n", LineEnd::CrLf, "<p>\x93\xfa</p>\r\n<br>\r\n"},
        {"Cr", "a\rb\r\rc", LineEnd::Cr, "a\rb\r\rc"},
        {"Utf8Lf", "\xef\xbb\xbf\xe6\x97\xa5\n\n", LineEnd::Lf, "\xef\xbb\xbf\xe6\x97\xa5\n\n"},
        {"MostlyLf", "a\nb\r\nc\nd\re\n", LineEnd::Lf, "a\nb\nc\nd\ne\n"},
        {"MostlyCr", "a\rb\rc\r\nd", LineEnd::Cr, "a\rb\rc\rd"},
        {"TieGoesToCrLf", "a\nb\r\nc", LineEnd::CrLf, "a\r\nb\r\nc"},
        {"OneLineIsCrLf", "<p>one</p>", LineEnd::CrLf, "<p>one</p>"},
    };
    for (const auto &c : cases) {
        const DecodedText decoded = TextCodec::decode(c.bytes);
        EXPECT_EQ(decoded.format.lineEnd, c.lineEnd) << c.name;
        QString editorText = decoded.text;
        LineEnds::convert(editorText, LineEnd::CrLf);
        EXPECT_EQ(TextCodec::encode(editorText, decoded.format), c.written) << c.name;
        EXPECT_EQ(TextCodec::encodeOver(editorText, decoded.format), c.written) << c.name;
    }
    // A new document is the program's own: CR LF.
    EXPECT_EQ(TextCodec::encode(QStringLiteral("a\nb\rc"), TextFormat{}), QByteArray("a\r\nb\r\nc"));
}

TEST(TextCodec, SaveRefusalNamesTheCharacterAndItsLine)
{
    TextFormat cp932;
    const QString text = QStringLiteral("一行目\r\n二行目\r三行目 ") + QString::fromUcs4(U"\U0001F600");
    for (const bool over : {false, true}) {
        QString consumed = text;
        try {
            over ? TextCodec::encodeOver(consumed, cp932) : TextCodec::encode(text, cp932);
            ADD_FAILURE() << "an emoji cannot be saved as CP932";
        } catch (const UserError &e) {
            EXPECT_TRUE(e.text().contains(QString::fromUcs4(U"\U0001F600"))) << e.text().toStdString();
            EXPECT_TRUE(e.text().contains(QStringLiteral("U+1F600"))) << e.text().toStdString();
            EXPECT_TRUE(e.text().contains(QStringLiteral("3 行目"))) << e.text().toStdString();
        }
        EXPECT_EQ(consumed, text) << "a refused save leaves the text as it was";
    }
}

TEST(TextCodec, ListFilesUseCp932UnlessACharacterDoesNotFitThenUtf8WithItsMark)
{
    EXPECT_EQ(TextCodec::encodeListFile(QStringLiteral("表")), QByteArray("\x95\x5c"));
    EXPECT_EQ(TextCodec::encodeListFile(QStringLiteral("表\u00e9")), QByteArray("\xef\xbb\xbf\xe8\xa1\xa8\xc3\xa9"));
    // Bytes that happen to be valid UTF-8 are still CP932 without the mark: "ﾂｩ.html", not "©.html".
    EXPECT_EQ(TextCodec::decodeListFile(QByteArray("\xc2\xa9.html")), QStringLiteral("ﾂｩ.html"));
    // A list an earlier version wrote as UTF-8 without the mark still reads when CP932 cannot.
    EXPECT_EQ(TextCodec::decodeListFile(QByteArray("\xe7\x8c\xab\xe3\x80\x80\xc3\xa9")),
              QStringLiteral("猫\u3000\u00e9"));
    // Text whose CP932 bytes would read back as other text goes as UTF-8 with the mark: a byte no
    // table decodes beside one it joins, bytes that are UTF-8 as well, a look-alike (〜 as ～).
    // A text that starts with U+FEFF keeps it behind the mark.
    for (const QString &text : {QStringLiteral("\uF781A"),
                                QStringLiteral("ﾃｼ 笘\uF783\""),
                                QStringLiteral("\u301C"),
                                QStringLiteral("\uFEFF\"J")})
        EXPECT_EQ(TextCodec::decodeListFile(TextCodec::encodeListFile(text)), text) << text.toStdString();
}

// Any text CP932 can hold survives a write and a read of a list file unchanged.
TEST(TextCodec, ListFileRoundTripOverRandomCp932Text)
{
    // Single bytes: ASCII and half-width kana; double bytes: every lead byte with assorted trails.
    QList<QByteArray> units;
    for (int b = 0x20; b < 0x7f; ++b)
        units.append(QByteArray(1, char(b)));
    for (int b = 0xa1; b <= 0xdf; ++b)
        units.append(QByteArray(1, char(b)));
    for (int lead : {0x81, 0x82, 0x83, 0x88, 0x89, 0x93, 0x9f, 0xe0, 0xea, 0xed, 0xfa}) {
        for (int trail : {0x40, 0x5c, 0x7e, 0x80, 0x9e, 0x9f, 0xa0, 0xfc})
            units.append(QByteArray(1, char(lead)) + char(trail));
    }
    quint32 seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        const int length = 1 + int(next() % 24);
        for (int i = 0; i < length; ++i)
            bytes += units.at(int(next() % quint32(units.size())));
        const QString text = Cp932Codec::decode(bytes).text;
        if (Cp932Codec::hasUndecodableBytes(text))
            continue; // an unassigned pair: not text CP932 holds
        const QByteArray written = TextCodec::encodeListFile(text);
        EXPECT_EQ(TextCodec::decodeListFile(written), text) << bytes.toHex().constData();
    }
}

TEST(TextCodec, LineOfPositionCountsEveryKindOfBreakOnce)
{
    const QString text = QStringLiteral("a\r\nb\rc\nd");
    EXPECT_EQ(TextCodec::lineOfPosition(text, 0), 1);
    EXPECT_EQ(TextCodec::lineOfPosition(text, 3), 2);
    EXPECT_EQ(TextCodec::lineOfPosition(text, 5), 3);
    EXPECT_EQ(TextCodec::lineOfPosition(text, 7), 4);
}

} // namespace
