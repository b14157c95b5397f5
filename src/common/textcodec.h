#pragma once

#include "common/cp932codec.h"

#include <QByteArray>
#include <QString>

// How a text file was stored, so that it can be written back the way it came.
struct TextFormat
{
    enum class Encoding {
        Cp932,
        Utf8,
    };
    Encoding encoding = Encoding::Cp932;
    bool byteOrderMark = false;
    Cp932Codec::ByteMemory cp932Memory;   // only for Cp932
};

struct DecodedText
{
    QString text;
    TextFormat format;
};

// Reading and writing text at the program's edges: CP932 by default, UTF-8 for a file with a
// UTF-8 byte order mark or one that is valid UTF-8 and holds non-ASCII bytes.
namespace TextCodec {

bool isUtf8WithNonAscii(const QByteArray &bytes);

DecodedText decode(const QByteArray &bytes);

// Throws UserError naming the character and its line when the encoding cannot hold it.
QByteArray encode(const QString &text, const TextFormat &format);

// CP932 when every character fits, otherwise UTF-8: for the program's own list files.
QByteArray encodeCp932OrUtf8(const QString &text);

// Line number (from 1) of a UTF-16 position, counting CR LF, CR and LF as one break each.
int lineOfPosition(const QString &text, qsizetype position);

} // namespace TextCodec
