#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// Converts between Unicode text and Windows code page 932 (Shift_JIS as Windows writes it)
// without losing a byte of what a file held.
//
// CP932 maps some characters twice (NEC and IBM extension rows), and real files contain the odd
// byte no table decodes. So decoding also returns the byte sequences that the canonical encoder
// would not choose by itself, and bytes that decode to nothing become private-use characters
// U+F780..U+F7FF. Encoding with that memory writes an unedited text back byte for byte.
class Cp932Codec
{
public:
    // For each character the source wrote in a non-canonical form at least once, the bytes of
    // every occurrence in order; the encoder replays them occurrence by occurrence (the last
    // form serves any further occurrence an edit added).
    using ByteMemory = QHash<char32_t, QList<QByteArray>>;

    struct Decoded
    {
        QString text;
        ByteMemory memory;
    };

    struct Unencodable
    {
        char32_t character = 0;
        qsizetype position = 0; // UTF-16 index of the character in the text
    };

    static Decoded decode(const QByteArray &bytes);

    // The encoded bytes, or the first character CP932 cannot hold.
    static QByteArray encode(const QString &text, const ByteMemory &memory, std::optional<Unencodable> *failure);
    // The first character CP932 cannot hold, reading only.
    static std::optional<Unencodable> firstUnencodable(QStringView text, const ByteMemory &memory);
    // Encodes over the text's own memory, which no longer holds the text afterwards; the bytes
    // live as long as text does. For a text that firstUnencodable passed: else empty.
    static QByteArrayView encodeInPlace(QString &text, const ByteMemory &memory);

    // True when decoding met bytes that no table maps (they stand as private-use characters).
    static bool hasUndecodableBytes(const QString &decoded);
    // How many bytes decoding met that no table maps.
    static qsizetype undecodableByteCount(const QString &decoded);

    // True when every character of text has a CP932 form.
    static bool canEncode(const QString &text);
    // True when the character has a CP932 form; a table look-up, cheap enough for every
    // character of a page.
    static bool canEncode(char32_t character);
};
