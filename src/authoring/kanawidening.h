#pragma once

#include <QString>

#include <array>
#include <cstdint>

// 環境設定 → 半角カナを全角カナに: half-width katakana and punctuation become their full-width
// forms, and a voiced or semi-voiced mark after a kana that takes it joins into one character.
//
// The rules are those of the single-byte katakana of Shift_JIS (0xA1 to 0xDF) and their
// two-byte codes. The editor holds Unicode, where those bytes are exactly U+FF61 to U+FF9F, so
// the rules run on that range and every other character, whether Shift_JIS has it or not,
// passes through untouched.
namespace KanaWidening {

// The JIS X 0201 byte of a half-width katakana character (0xA1 to 0xDF); 0 for any other.
std::uint8_t hanKanaByte(QChar c);

bool isHanKana(std::uint8_t byte);    // 0xA1 to 0xDF
bool isDakuten(std::uint8_t byte);    // takes the voiced mark: ｶ to ﾄ, ﾊ to ﾎ, ｳ
bool isHanDakuten(std::uint8_t byte); // takes the semi-voiced mark: ﾊ to ﾎ

inline constexpr std::uint8_t kFirstHanKana = 0xA1;
inline constexpr std::uint8_t kVoicedMark = 0xDE;     // ﾞ
inline constexpr std::uint8_t kSemiVoicedMark = 0xDF; // ﾟ

// The full-width Shift_JIS code of each byte 0xA1 to 0xDF, in byte order.
extern const std::array<std::uint16_t, 63> kKanaTable;

// The full-width Shift_JIS code for byte, joined with the mark after it when the kana takes
// it; consumed tells whether the mark was used up.
std::uint16_t widen(std::uint8_t byte, std::uint8_t next, bool *consumed);

// The text with every half-width katakana widened.
QString hanToZen(const QString &text);

} // namespace KanaWidening
