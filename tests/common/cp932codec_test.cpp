#include "common/cp932codec.h"

#include <gtest/gtest.h>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

struct Cp932Case
{
    const char *name;
    friend void PrintTo(const Cp932Case &c, std::ostream *os) { *os << c.name; }
    QByteArray encoded;
    QString text;
};

// Characters whose CP932 form is easy to get wrong: second bytes equal to '\' and '|',
// the wave dash that CP932 maps to U+FF5E, half-width katakana, and plain ASCII '\'.
class Cp932KnownForms : public ::testing::TestWithParam<Cp932Case>
{};

TEST_P(Cp932KnownForms, DecodesAndEncodesExactly)
{
    const Cp932Case &c = GetParam();
    const auto decoded = Cp932Codec::decode(c.encoded);
    EXPECT_EQ(decoded.text, c.text);
    EXPECT_TRUE(decoded.memory.isEmpty());
    std::optional<Cp932Codec::Unencodable> failure;
    EXPECT_EQ(Cp932Codec::encode(c.text, {}, &failure), c.encoded);
    EXPECT_FALSE(failure.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    Cp932KnownForms,
    ::testing::Values(Cp932Case{"SecondByte5C_hyou", bytes({0x95, 0x5C}), QStringLiteral("表")},
                      Cp932Case{"SecondByte5C_so", bytes({0x83, 0x5C}), QStringLiteral("ソ")},
                      Cp932Case{"SecondByte7C", bytes({0x83, 0x7C}), QStringLiteral("ポ")},
                      Cp932Case{"WaveDashIsFullwidthTilde", bytes({0x81, 0x60}), QString(QChar(0xFF5E))},
                      Cp932Case{"HalfwidthKatakana", bytes({0xB1, 0xDD}), QStringLiteral("ｱﾝ")},
                      Cp932Case{"AsciiBackslashStays", QByteArray("a\\b~"), QStringLiteral("a\\b~")},
                      Cp932Case{"MixedLine",
                                bytes({'<', 'p', '>', 0x93, 0xFA, 0x96, 0x7B, '<', '/', 'p', '>'}),
                                QStringLiteral("<p>日本</p>")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Cp932Codec, DuplicateMappingsRoundTripByteForByte)
{
    // NEC row 13 and NEC-selected IBM extensions decode to characters whose canonical CP932
    // form lies elsewhere; an unedited text must still be written back as it was read.
    // Both forms of U+2252 and of U+7E8A in one file, in either order.
    const QByteArray original = bytes({0x87, 0x90, 0x81, 0xE0, 0xED, 0x40, 0xFA, 0x5C, 0xEE, 0xEF, 0x87, 0x90});
    const auto decoded = Cp932Codec::decode(original);
    ASSERT_FALSE(decoded.memory.isEmpty());
    std::optional<Cp932Codec::Unencodable> failure;
    EXPECT_EQ(Cp932Codec::encode(decoded.text, decoded.memory, &failure), original);

    // An occurrence added by an edit takes the form the file used last.
    const QString edited = decoded.text + QChar(0x2252);
    EXPECT_EQ(Cp932Codec::encode(edited, decoded.memory, &failure), original + bytes({0x87, 0x90}));
}

TEST(Cp932Codec, UndecodableBytesSurviveARoundTrip)
{
    const QByteArray original = bytes({'a', 0x80, 0xA0, 0xFD, 0xFE, 0xFF, 'b', 0x81});
    const auto decoded = Cp932Codec::decode(original);
    EXPECT_EQ(decoded.text.size(), 8);
    EXPECT_TRUE(decoded.text.startsWith(QLatin1Char('a')));
    std::optional<Cp932Codec::Unencodable> failure;
    EXPECT_EQ(Cp932Codec::encode(decoded.text, decoded.memory, &failure), original);
}

TEST(Cp932Codec, ReportsTheFirstUnencodableCharacterAndItsPosition)
{
    const QString text = QStringLiteral("ab") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("c\u00E9");
    std::optional<Cp932Codec::Unencodable> failure;
    const QByteArray out = Cp932Codec::encode(text, {}, &failure);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->character, char32_t(0x1F600));
    EXPECT_EQ(failure->position, 2);
    EXPECT_FALSE(Cp932Codec::canEncode(text));
    EXPECT_TRUE(Cp932Codec::canEncode(QStringLiteral("表示～ｶﾅ")));
}

// Every byte pair, each after a plain letter so that pairs cannot borrow bytes from each other
// (a lead byte whose pair is unmapped stands alone and its trail byte is read anew): whatever
// the file held is written back byte for byte, mapped or not, canonical or not.
TEST(Cp932Codec, EveryBytePairRoundTrips)
{
    QByteArray all;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0x00; trail <= 0xFF; ++trail)
            all += bytes({'x', lead, trail});
    }
    const auto decoded = Cp932Codec::decode(all);
    std::optional<Cp932Codec::Unencodable> failure;
    const QByteArray written = Cp932Codec::encode(decoded.text, decoded.memory, &failure);
    EXPECT_FALSE(failure.has_value());
    EXPECT_TRUE(written == all);
    // Written over the text's own memory, two bytes of room per unit read are always enough.
    QString consumed = decoded.text;
    EXPECT_FALSE(Cp932Codec::firstUnencodable(consumed, decoded.memory).has_value());
    EXPECT_TRUE(Cp932Codec::encodeInPlace(consumed, decoded.memory).toByteArray() == all);
    // Known spot checks among them: a lead byte alone, a kanji, the NEC duplicate of U+2252.
    EXPECT_EQ(Cp932Codec::decode(bytes({0x88, 0x9F})).text, QStringLiteral("亜"));
    EXPECT_EQ(Cp932Codec::decode(bytes({0x87, 0x90})).text, QString(QChar(0x2252)));
    EXPECT_EQ(Cp932Codec::decode(bytes({0x81, 0x20})).text.size(), 2);
}

} // namespace
