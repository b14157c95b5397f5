#include "workspace/spanrewrite.h"

#include "common/cp932codec.h"
#include "common/lineends.h"
#include "common/textcodec.h"
#include "common/textcontent.h"

#include <optional>

namespace SpanRewrite {

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

bool isCp932Lead(uchar byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

qsizetype utf8Length(uchar lead)
{
    if (lead < 0xC0)
        return 1;
    if (lead < 0xE0)
        return 2;
    return lead < 0xF0 ? 3 : 4;
}

// Walks the file's bytes and its CR LF text side by side: each line end, whatever its form, is
// the two characters CR LF; a character outside the BMP is two UTF-16 units.
class ByteWalk
{
public:
    ByteWalk(const QByteArray &bytes, const TextFormat &format)
        : m_bytes(bytes), m_utf8(format.encoding == TextFormat::Encoding::Utf8)
    {
        if (format.byteOrderMark && bytes.startsWith(kUtf8Bom))
            m_byte = kUtf8Bom.size();
    }

    // Moves on to the character at position; false when the text has no character boundary
    // there (the text and the bytes do not agree).
    bool moveTo(qsizetype position)
    {
        while (m_char < position && m_byte < m_bytes.size())
            step();
        return m_char == position;
    }
    qsizetype byte() const { return m_byte; }

private:
    void step()
    {
        const auto byte = uchar(m_bytes.at(m_byte));
        qsizetype length = 1;
        qsizetype units = 1;
        if (byte == '\r' || byte == '\n') {
            if (byte == '\r' && m_byte + 1 < m_bytes.size() && m_bytes.at(m_byte + 1) == '\n')
                length = 2;
            units = 2;
        } else if (m_utf8) {
            length = utf8Length(byte);
            units = length == 4 ? 2 : 1;
        } else if (isCp932Lead(byte) && m_byte + 1 < m_bytes.size()) {
            length = 2;
        }
        m_byte = qMin(m_byte + length, m_bytes.size());
        m_char += units;
    }

    const QByteArray &m_bytes;
    const bool m_utf8;
    qsizetype m_byte = 0;
    qsizetype m_char = 0;
};

QString characterText(char32_t character)
{
    return QStringLiteral("「%1」(U+%2)")
        .arg(QString::fromUcs4(&character, 1),
             QString::number(uint(character), 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

std::optional<char32_t> firstUnencodable(const QString &text, const TextFormat &format)
{
    if (format.encoding == TextFormat::Encoding::Utf8)
        return std::nullopt;
    if (const std::optional<Cp932Codec::Unencodable> failure = Cp932Codec::firstUnencodable(text, {}))
        return failure->character;
    return std::nullopt;
}

QByteArray encoded(QString text, const TextFormat &format)
{
    // The new text's line ends as the file's own; the bytes around it keep theirs.
    LineEnds::convert(text, format.lineEnd);
    if (format.encoding == TextFormat::Encoding::Utf8)
        return text.toUtf8();
    std::optional<Cp932Codec::Unencodable> failure;
    return Cp932Codec::encode(text, {}, &failure);
}

QString crlfTextOf(const QByteArray &bytes, TextFormat *format)
{
    DecodedText decoded = TextCodec::decode(bytes);
    if (TextContent::reading(bytes, decoded) != TextContent::Reading::Clean)
        return {};
    LineEnds::convert(decoded.text, LineEnd::CrLf);
    *format = std::move(decoded.format);
    return std::move(decoded.text);
}

Refusal refused(const QString &reason)
{
    return Refusal{reason};
}

} // namespace

std::variant<QByteArray, Refusal> apply(const QByteArray &bytes, const QList<Edit> &edits)
{
    if (TextContent::startsLikeBinary(bytes))
        return refused(QStringLiteral("テキストではないファイルです"));
    TextFormat format;
    const QString text = crlfTextOf(bytes, &format);
    if (text.isNull() && !bytes.isEmpty())
        return refused(QStringLiteral("文字コードで読めないバイトがあるため、書き換えると壊れるおそれがあります"));
    return apply(bytes, text, format, edits);
}

std::variant<QByteArray, Refusal>
apply(const QByteArray &bytes, const QString &text, const TextFormat &format, const QList<Edit> &edits)
{
    QByteArray out;
    out.reserve(bytes.size());
    QString expected;
    expected.reserve(text.size());
    ByteWalk walk(bytes, format);
    qsizetype copiedTo = 0; // bytes
    qsizetype textAt = 0;   // characters
    for (const Edit &edit : edits) {
        if (edit.start < textAt || edit.start + edit.length > text.size())
            return refused(QStringLiteral("置換する箇所がページの文字と合いません"));
        if (const std::optional<char32_t> character = firstUnencodable(edit.text, format))
            return refused(QStringLiteral("%1 は %2 で書けません")
                               .arg(characterText(*character), TextCodec::encodingName(format)));
        if (!walk.moveTo(edit.start))
            return refused(QStringLiteral("置換する箇所がページの文字と合いません"));
        const qsizetype from = walk.byte();
        if (!walk.moveTo(edit.start + edit.length))
            return refused(QStringLiteral("置換する箇所がページの文字と合いません"));
        out.append(QByteArrayView(bytes).sliced(copiedTo, from - copiedTo));
        out.append(encoded(edit.text, format));
        copiedTo = walk.byte();
        expected.append(QStringView(text).sliced(textAt, edit.start - textAt));
        QString replacement = edit.text;
        LineEnds::convert(replacement, LineEnd::CrLf);
        expected.append(replacement);
        textAt = edit.start + edit.length;
    }
    out.append(QByteArrayView(bytes).sliced(copiedTo));
    expected.append(QStringView(text).sliced(textAt));

    // The new bytes must open as the edited text, as the program would open them: a changed
    // charset declaration or a detector's other guess would show the page garbled. (Another
    // encoding that reads the same text, as any does an all-ASCII page, is no harm.)
    TextFormat reread;
    if (crlfTextOf(out, &reread) != expected)
        return refused(QStringLiteral("置換すると %1 として読めなくなります").arg(TextCodec::encodingName(format)));
    return out;
}

} // namespace SpanRewrite
