#include "workspace/rtf/rtftokenizer.h"

#include <limits>

namespace {

// Real control words are at most 32 letters and their numbers fit a signed 16- or 32-bit value.
constexpr qsizetype kMaxNameLength = 32;
constexpr qint64 kNumberLimit = std::numeric_limits<int>::max();

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

RtfTokenizer::Token tokenOf(RtfTokenizer::Kind kind)
{
    RtfTokenizer::Token token;
    token.kind = kind;
    return token;
}

} // namespace

RtfTokenizer::Token RtfTokenizer::next()
{
    while (m_pos < m_data.size()) {
        const char c = m_data.at(m_pos);
        switch (c) {
        case '{':
            ++m_pos;
            return tokenOf(Kind::GroupStart);
        case '}':
            ++m_pos;
            return tokenOf(Kind::GroupEnd);
        case '\\':
            return readControl();
        case '\r':
        case '\n':
        case '\0':
            // Line ends in RTF source are layout of the file, not text.
            ++m_pos;
            continue;
        default:
            return readText();
        }
    }
    return tokenOf(Kind::End);
}

RtfTokenizer::Token RtfTokenizer::readText()
{
    Token token = tokenOf(Kind::Text);
    const qsizetype start = m_pos;
    while (m_pos < m_data.size()) {
        const char c = m_data.at(m_pos);
        if (c == '{' || c == '}' || c == '\\' || c == '\r' || c == '\n' || c == '\0')
            break;
        ++m_pos;
    }
    token.bytes = m_data.mid(start, m_pos - start);
    return token;
}

int RtfTokenizer::readNumber(bool *found)
{
    bool negative = false;
    if (m_pos < m_data.size() && m_data.at(m_pos) == '-' && m_pos + 1 < m_data.size()
        && isDigit(m_data.at(m_pos + 1))) {
        negative = true;
        ++m_pos;
    }
    qint64 value = 0;
    *found = false;
    while (m_pos < m_data.size() && isDigit(m_data.at(m_pos))) {
        *found = true;
        value = qMin(value * 10 + (m_data.at(m_pos) - '0'), kNumberLimit);
        ++m_pos;
    }
    return int(negative ? -value : value);
}

RtfTokenizer::Token RtfTokenizer::readControl()
{
    ++m_pos; // the backslash
    if (m_pos >= m_data.size())
        return tokenOf(Kind::End);
    const char c = m_data.at(m_pos);
    if (c == '\'') {
        const int high = m_pos + 1 < m_data.size() ? hexValue(m_data.at(m_pos + 1)) : -1;
        const int low = m_pos + 2 < m_data.size() ? hexValue(m_data.at(m_pos + 2)) : -1;
        if (high < 0 || low < 0) {
            // A broken escape: drop it up to the first character that is no hex digit. An empty text
            // token rather than a recursive call, so a run of broken escapes cannot exhaust the stack.
            m_pos += high < 0 ? 1 : 2;
            return tokenOf(Kind::Text);
        }
        m_pos += 3;
        Token token = tokenOf(Kind::HexByte);
        token.byte = static_cast<unsigned char>(high * 16 + low);
        return token;
    }
    if (!isLetter(c)) {
        ++m_pos;
        if (c == '\r' || c == '\n') {
            // A backslash before a line end is a paragraph mark in old writers' files.
            Token token = tokenOf(Kind::ControlWord);
            token.name = "par";
            return token;
        }
        Token token = tokenOf(Kind::ControlSymbol);
        token.symbol = c;
        return token;
    }
    Token token = tokenOf(Kind::ControlWord);
    const qsizetype start = m_pos;
    while (m_pos < m_data.size() && isLetter(m_data.at(m_pos)))
        ++m_pos;
    token.name = m_data.mid(start, qMin(m_pos - start, kMaxNameLength));
    token.number = readNumber(&token.hasNumber);
    if (m_pos < m_data.size() && m_data.at(m_pos) == ' ')
        ++m_pos; // the delimiter belongs to the control word
    if (token.name == "bin") {
        // The data length comes from the file: never trust it beyond the bytes that exist.
        const qsizetype length =
            token.hasNumber && token.number > 0 ? qMin<qsizetype>(token.number, m_data.size() - m_pos) : 0;
        Token data = tokenOf(Kind::Binary);
        data.bytes = m_data.mid(m_pos, length);
        m_pos += length;
        return data;
    }
    return token;
}
