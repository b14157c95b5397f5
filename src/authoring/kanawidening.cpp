#include "authoring/kanawidening.h"

#include "common/cp932codec.h"

#include <QHash>

namespace KanaWidening {

namespace {

constexpr char16_t kFirstHalfWidth = u'\uFF61'; // ｡, the byte 0xA1
constexpr char16_t kLastHalfWidth = u'\uFF9F';  // ﾟ, the byte 0xDF
constexpr std::uint16_t kWideU = 0x8345;        // ウ
constexpr std::uint16_t kWideVu = 0x8394;       // ヴ

bool inRange(unsigned value, unsigned low, unsigned high)
{
    return value >= low && value <= high;
}

// Every full-width code widen() can give, as the character it stands for; built once.
const QHash<std::uint16_t, QChar> &wideCharacters()
{
    static const QHash<std::uint16_t, QChar> table = [] {
        QHash<std::uint16_t, QChar> out;
        auto add = [&out](std::uint16_t code) {
            const char bytes[] = {char(code >> 8), char(code & 0xFF)};
            const QString decoded = Cp932Codec::decode(QByteArray(bytes, 2)).text;
            Q_ASSERT(decoded.size() == 1);
            out.insert(code, decoded.front());
        };
        for (unsigned byte = kFirstHanKana; byte <= kSemiVoicedMark; ++byte) {
            bool consumed = false;
            add(widen(std::uint8_t(byte), 0, &consumed));
            add(widen(std::uint8_t(byte), kVoicedMark, &consumed));
            add(widen(std::uint8_t(byte), kSemiVoicedMark, &consumed));
        }
        return out;
    }();
    return table;
}

} // namespace

const std::array<std::uint16_t, 63> kKanaTable = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, // ｡ ｢ ｣ ､ ･ ｦ ｧ ｨ ｩ
    0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, // ｪ ｫ ｬ ｭ ｮ ｯ ｰ ｱ ｲ
    0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E, 0x8350, 0x8352, 0x8354, // ｳ ｴ ｵ ｶ ｷ ｸ ｹ ｺ ｻ
    0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360, 0x8363, 0x8365, 0x8367, // ｼ ｽ ｾ ｿ ﾀ ﾁ ﾂ ﾃ ﾄ
    0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374, 0x8377, // ﾅ ﾆ ﾇ ﾈ ﾉ ﾊ ﾋ ﾌ ﾍ
    0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, // ﾎ ﾏ ﾐ ﾑ ﾒ ﾓ ﾔ ﾕ ﾖ
    0x8389, 0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B, // ﾗ ﾘ ﾙ ﾚ ﾛ ﾜ ﾝ ﾞ ﾟ
};

std::uint8_t hanKanaByte(QChar c)
{
    if (!inRange(c.unicode(), kFirstHalfWidth, kLastHalfWidth))
        return 0;
    return std::uint8_t(c.unicode() - kFirstHalfWidth + kFirstHanKana);
}

bool isHanKana(std::uint8_t byte)
{
    return inRange(byte, kFirstHanKana, kSemiVoicedMark);
}

bool isDakuten(std::uint8_t byte)
{
    return inRange(byte, 0xB6, 0xC4) || inRange(byte, 0xCA, 0xCE) || byte == 0xB3;
}

bool isHanDakuten(std::uint8_t byte)
{
    return inRange(byte, 0xCA, 0xCE);
}

std::uint16_t widen(std::uint8_t byte, std::uint8_t next, bool *consumed)
{
    *consumed = false;
    if (!isHanKana(byte))
        return 0;
    const std::uint16_t code = kKanaTable[byte - kFirstHanKana];
    const unsigned lead = code >> 8;
    unsigned trail = code & 0xFF;
    if (next == kVoicedMark && isDakuten(byte)) {
        // カ to ト and ハ to ホ have their voiced form one code further; ウ's is apart.
        if (inRange(trail, 0x4A, 0x67) || inRange(trail, 0x6E, 0x7A))
            trail += 1;
        else if (code == kWideU)
            trail = kWideVu & 0xFF;
        *consumed = true;
    } else if (next == kSemiVoicedMark && isHanDakuten(byte)) {
        if (inRange(trail, 0x6E, 0x7A)) {
            trail += 2;
            *consumed = true;
        }
    }
    return std::uint16_t(lead << 8 | trail);
}

QString hanToZen(const QString &text)
{
    const QHash<std::uint16_t, QChar> &wide = wideCharacters();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const std::uint8_t byte = hanKanaByte(text.at(i));
        if (!byte) {
            out += text.at(i);
            continue;
        }
        const std::uint8_t next = i + 1 < text.size() ? hanKanaByte(text.at(i + 1)) : 0;
        bool consumed = false;
        out += wide.value(widen(byte, next, &consumed));
        if (consumed)
            ++i;
    }
    return out;
}

} // namespace KanaWidening
