#pragma once

#include "common/cp932codec.h"
#include "common/lineends.h"

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
    Cp932Codec::ByteMemory cp932Memory; // only for Cp932
    // Every line end is written this way, whatever the text holds; read: the file's majority.
    LineEnd lineEnd = LineEnd::CrLf;
    // The file held bytes its encoding does not read: CP932 keeps them as they were, UTF-8
    // shows U+FFFD in their place. Writing over that file asks first.
    bool unreadableBytes = false;
};

struct DecodedText
{
    QString text;
    TextFormat format;
};

// Reading and writing text at the program's edges. A page is Shift_JIS (CP932) unless UTF-8 is
// clearly meant: a byte order mark, the page's own declaration, or bytes that a detector made for
// the job takes for UTF-8 and that do not read as the half-width kana a Shift_JIS page may hold.
namespace TextCodec {

bool isUtf8WithNonAscii(const QByteArray &bytes);

// A document's bytes, in the encoding decided as above.
DecodedText decode(const QByteArray &bytes);

// The program's own list files: CP932, or UTF-8 when they start with its byte order mark.
QString decodeListFile(const QByteArray &bytes);
// CP932 when those bytes read back as this same text; otherwise UTF-8 with its byte order mark,
// so that reading it back can tell.
QByteArray encodeListFile(const QString &text);

// The encoding's name as the status bar shows it.
QString encodingName(const TextFormat &format);

// The UTF-8 format a text is saved in when Shift_JIS cannot hold it: without a byte order mark
// when the bytes alone read back as this same UTF-8 text, else with the mark (a page that declares
// Shift_JIS, or whose only non-ASCII letters look like half-width kana), so it reopens as written.
TextFormat utf8FormatFor(const QString &text);

// The text in the format's encoding, every line end written as the format's. Throws UserError
// naming the character and its line when the encoding cannot hold it.
QByteArray encode(const QString &text, const TextFormat &format);

// Like encode, for a text of no further use: CP932 is written over the text's own memory, so
// that saving a large page takes no second buffer of its size. The result may refer to that
// memory: it is valid while text lives unchanged. Throws UserError as encode does, and then
// leaves text as it was.
QByteArray encodeOver(QString &text, const TextFormat &format);

// Line number (from 1) of a UTF-16 position, counting CR LF, CR and LF as one break each.
int lineOfPosition(const QString &text, qsizetype position);

} // namespace TextCodec
