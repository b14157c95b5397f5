// The two rewrites of the selection: tag removal, and the widening of half-width katakana
// checked against Unicode's own compatibility mapping of the JIS X 0201 katakana and against
// the rules as they run on Shift_JIS bytes.
#include "authoring/kanawidening.h"
#include "authoring/tagremoval.h"
#include "common/cp932codec.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

QString q(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// --- タグ消去 ----------------------------------------------------------------------------------

TEST(TagRemoval, KeepsEverythingOutsideTags)
{
    const std::pair<const char *, const char *> cases[] = {
        {"<b>abc</b>", "abc"},
        {"a<br>b", "ab"},
        {"x > y <i>z</i>", "x > y z"}, // a ">" before the first "<" is text
        {"plain text\r\n\r\n  &lt;b&gt; ", "plain text\r\n\r\n  &lt;b&gt; "},
        {"", ""},
        {"<p>\r\n</p>", "\r\n"},
        {"<b></b><br>", ""},
        {"a<b\r\nc>d", "ad"}, // a tag across lines goes whole
        {"<<b>>x", ">x"},     // the first ">" ends the tag
        {"a<b", "a<b"},       // no ">": the rest stays as it was
        {"<b>x</b> 1 < 2", "x 1 < 2"},
        {"漢<font color=\"red\">字</font>𠮷", "漢字𠮷"},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(TagRemoval::removeTags(q(text)), q(expected)) << text;
}

// --- 半角カナを全角カナに ----------------------------------------------------------------------

QChar halfWidth(unsigned byte)
{
    return QChar(char16_t(0xFF61 + byte - 0xA1));
}

// What Unicode makes of a half-width kana alone: its JIS X 0208 counterpart. The two sound marks
// are the exception: on their own they widen to the spacing marks ゛ and ゜, not to combining ones.
QString wideAlone(unsigned byte)
{
    if (byte == KanaWidening::kVoicedMark)
        return q("゛");
    if (byte == KanaWidening::kSemiVoicedMark)
        return q("゜");
    return QString(halfWidth(byte)).normalized(QString::NormalizationForm_KC);
}

TEST(KanaWidening, EachOfThe63HalfWidthCharactersWidensToItsFullWidthForm)
{
    for (unsigned byte = 0xA1; byte <= 0xDF; ++byte) {
        const QString wide = KanaWidening::hanToZen(QString(halfWidth(byte)));
        EXPECT_EQ(wide, wideAlone(byte)) << std::hex << byte;
        ASSERT_EQ(wide.size(), 1);
        // The table holds the Shift_JIS code of the same character.
        const std::uint16_t code = KanaWidening::kKanaTable[byte - 0xA1];
        const char bytes[] = {char(code >> 8), char(code & 0xFF)};
        EXPECT_EQ(Cp932Codec::decode(QByteArray(bytes, 2)).text, wide) << std::hex << byte;
    }
}

// Only these kana join with the marks; every other pair widens character by character.
const QString kTakesVoiced = q("ｳｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾊﾋﾌﾍﾎ");
const QString kTakesSemiVoiced = q("ﾊﾋﾌﾍﾎ");

TEST(KanaWidening, EveryKanaFollowedByEachMark)
{
    for (unsigned byte = 0xA1; byte <= 0xDF; ++byte) {
        const QChar kana = halfWidth(byte);
        for (const QChar mark : {halfWidth(KanaWidening::kVoicedMark), halfWidth(KanaWidening::kSemiVoicedMark)}) {
            const bool voiced = mark == halfWidth(KanaWidening::kVoicedMark);
            const bool joins = (voiced ? kTakesVoiced : kTakesSemiVoiced).contains(kana);
            const QString pair = QString(kana) + mark;
            // Unicode composes a joining pair into one character (ｶﾞ → ガ, ｳﾞ → ヴ, ﾊﾟ → パ).
            const QString expected = joins ? pair.normalized(QString::NormalizationForm_KC)
                                           : wideAlone(byte) + wideAlone(voiced ? 0xDE : 0xDF);
            if (joins) {
                ASSERT_EQ(expected.size(), 1) << std::hex << byte;
            }
            EXPECT_EQ(KanaWidening::hanToZen(pair), expected) << std::hex << byte << (voiced ? " voiced" : " semi");
        }
        EXPECT_EQ(KanaWidening::isDakuten(std::uint8_t(byte)), kTakesVoiced.contains(kana)) << std::hex << byte;
        EXPECT_EQ(KanaWidening::isHanDakuten(std::uint8_t(byte)), kTakesSemiVoiced.contains(kana)) << std::hex << byte;
    }
}

TEST(KanaWidening, Texts)
{
    const std::pair<const char *, const char *> cases[] = {
        {"ｶﾞｷﾞｸﾞ", "ガギグ"},
        {"ﾊﾟﾋﾟ", "パピ"},
        {"ｳﾞ", "ヴ"},
        {"ｱﾞ", "ア゛"},
        {"ﾎﾟｰﾄ", "ポート"},
        {"ABC123", "ABC123"},
        {"ｶﾞﾞ", "ガ゛"},      // a mark is used once
        {"ﾞｶ", "゛カ"},       // a mark before the kana stays a mark
        {"ﾜﾞｦﾞ", "ワ゛ヲ゛"}, // kana the voiced mark does not join
        {"ｶﾟﾊﾞ", "カ゜バ"},
        {"ｷｬﾝﾌﾟ", "キャンプ"},
        {"ｶ", "カ"}, // the last character is widened without looking further
        {"ﾊ", "ハ"},
        {"<b>ｶﾅ</b>\r\nｶﾅ", "<b>カナ</b>\r\nカナ"},
        {"漢ｶﾞ漢", "漢ガ漢"},   // 漢 is 0x8A 0xBF in Shift_JIS: its second byte is no kana
        {"ｶ\r\nﾞ", "カ\r\n゛"}, // a line end parts a kana from its mark
        {"", ""},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(KanaWidening::hanToZen(q(text)), q(expected)) << text;
}

TEST(KanaWidening, CharactersShiftJisCannotHoldAreKept)
{
    const QString text = q("𠮷ｶﾞ\xF0\x9F\x98\x80ﾊﾟ") + q("é𠮷ｱ\xF0\x9F\x98\x80");
    EXPECT_EQ(KanaWidening::hanToZen(text), q("𠮷ガ\xF0\x9F\x98\x80パ") + q("é𠮷ア\xF0\x9F\x98\x80"));
}

// The rules as they run on Shift_JIS bytes: a byte 0xA1 to 0xDF that is not the second byte of a
// double-byte character becomes the two bytes of its table entry, joined with a following mark
// by adding to the second byte.
QByteArray widenBytes(const QByteArray &in)
{
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const auto a = std::uint8_t(in.at(i));
        if ((a >= 0x81 && a <= 0x9F) || (a >= 0xE0 && a <= 0xFC)) {
            out += in.mid(i, 2);
            ++i;
            continue;
        }
        if (a < 0xA1 || a > 0xDF) {
            out += char(a);
            continue;
        }
        const std::uint8_t b = i + 1 < in.size() ? std::uint8_t(in.at(i + 1)) : 0;
        const std::uint16_t code = KanaWidening::kKanaTable[a - 0xA1];
        std::uint8_t second = code & 0xFF;
        bool consumed = false;
        if (b == 0xDE && KanaWidening::isDakuten(a)) {
            if ((second >= 0x4A && second <= 0x67) || (second >= 0x6E && second <= 0x7A))
                second += 1;
            else if (code == 0x8345)
                second = 0x94;
            consumed = true;
        } else if (b == 0xDF && KanaWidening::isHanDakuten(a) && second >= 0x6E && second <= 0x7A) {
            second += 2;
            consumed = true;
        }
        out += char(code >> 8);
        out += char(second);
        i += consumed ? 1 : 0;
    }
    return out;
}

TEST(KanaWidening, AgreesWithTheByteRulesOnShiftJisTexts)
{
    // Every half-width character, double-byte characters with a second byte in the kana range,
    // ASCII, line ends.
    QStringList pieces = {
        q("漢"), q("い"), q("ソ"), q("表"), q("能"), q("ﾞ"), q("ﾟ"), q("a"), q("<"), q("\r\n"), q("ｳﾞ")};
    for (unsigned byte = 0xA1; byte <= 0xDF; ++byte)
        pieces.append(QString(halfWidth(byte)));
    QRandomGenerator random(20240611);
    for (int round = 0; round < 2000; ++round) {
        QString text;
        const int length = random.bounded(1, 12);
        for (int i = 0; i < length; ++i)
            text += pieces.at(random.bounded(int(pieces.size())));
        const QByteArray bytes = Cp932Codec::encode(text, {}, nullptr);
        const QString expected = Cp932Codec::decode(widenBytes(bytes)).text;
        ASSERT_EQ(KanaWidening::hanToZen(text), expected) << text.toStdString();
    }
}

} // namespace
