#pragma once

#include <QByteArray>

// Splits RTF bytes into the pieces a reader acts on: group braces, control words with their
// optional number, control symbols, \'hh bytes, runs of plain text bytes and \binN data.
// It never reads past the end: a truncated escape ends the input, \binN is cut to what is
// there, numbers are clamped, and names longer than any real control word are cut short.
class RtfTokenizer
{
public:
    enum class Kind {
        End,
        GroupStart,
        GroupEnd,
        ControlWord,   // name, hasNumber, number
        ControlSymbol, // symbol
        HexByte,       // byte
        Text,          // bytes
        Binary,        // bytes
    };

    struct Token
    {
        Kind kind = Kind::End;
        QByteArray name;
        bool hasNumber = false;
        int number = 0;
        char symbol = 0;
        unsigned char byte = 0;
        QByteArray bytes;
    };

    explicit RtfTokenizer(const QByteArray &data) : m_data(data) {}

    Token next();
    bool atEnd() const { return m_pos >= m_data.size(); }

private:
    Token readControl();
    Token readText();
    int readNumber(bool *found);

    QByteArray m_data;
    qsizetype m_pos = 0;
};
