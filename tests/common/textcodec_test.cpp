#include "common/textcodec.h"
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
}

INSTANTIATE_TEST_SUITE_P(
    Table, EncodingDetection,
    ::testing::Values(
        DetectionCase{"AsciiIsCp932", QByteArray("<html>\r\n"), TextFormat::Encoding::Cp932, false,
                      QStringLiteral("<html>\r\n")},
        DetectionCase{"ShiftJisIsCp932", QByteArray("\x93\xfa\x96\x7b"), TextFormat::Encoding::Cp932, false,
                      QStringLiteral("日本")},
        DetectionCase{"ValidUtf8WithNonAscii", QByteArray("\xe6\x97\xa5\xe6\x9c\xac"), TextFormat::Encoding::Utf8,
                      false, QStringLiteral("日本")},
        DetectionCase{"Utf8BomKept", QByteArray("\xef\xbb\xbfok"), TextFormat::Encoding::Utf8, true,
                      QStringLiteral("ok")},
        // Valid as neither: a stray UTF-8 lead byte makes it CP932 (half-width kana here).
        DetectionCase{"InvalidUtf8FallsBackToCp932", QByteArray("\xe6\xb1"), TextFormat::Encoding::Cp932, false,
                      QStringLiteral("\u8C4E")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TextCodec, SaveRefusalNamesTheCharacterAndItsLine)
{
    TextFormat cp932;
    const QString text = QStringLiteral("一行目\r\n二行目\r三行目 ") + QString::fromUcs4(U"\U0001F600");
    try {
        TextCodec::encode(text, cp932);
        FAIL() << "an emoji cannot be saved as CP932";
    } catch (const UserError &e) {
        EXPECT_TRUE(e.text().contains(QString::fromUcs4(U"\U0001F600"))) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QStringLiteral("U+1F600"))) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QStringLiteral("3 行目"))) << e.text().toStdString();
    }
}

TEST(TextCodec, ListFilesUseCp932UnlessACharacterDoesNotFit)
{
    EXPECT_EQ(TextCodec::encodeCp932OrUtf8(QStringLiteral("表")), QByteArray("\x95\x5c"));
    EXPECT_EQ(TextCodec::encodeCp932OrUtf8(QStringLiteral("表\u00e9")), QByteArray("\xe8\xa1\xa8\xc3\xa9"));
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
