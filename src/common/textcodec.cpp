#include "common/textcodec.h"

#include "common/usererror.h"


namespace {
const QByteArray kUtf8Bom("\xEF\xBB\xBF");
} // namespace

namespace TextCodec {

bool isUtf8WithNonAscii(const QByteArray &bytes)
{
    // Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF, no cut-off tail.
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    bool nonAscii = false;
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        nonAscii = true;
        int length = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if ((b & 0xE0) == 0xC0) {
            length = 2, c = b & 0x1F, minimum = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3, c = b & 0x0F, minimum = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4, c = b & 0x07, minimum = 0x10000;
        } else {
            return false;
        }
        if (i + length > n)
            return false;
        for (int k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (p[i + k] & 0x3F);
        }
        if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += length;
    }
    return nonAscii;
}

DecodedText decode(const QByteArray &bytes)
{
    DecodedText result;
    if (bytes.startsWith(kUtf8Bom) || isUtf8WithNonAscii(bytes)) {
        result.format.encoding = TextFormat::Encoding::Utf8;
        result.format.byteOrderMark = bytes.startsWith(kUtf8Bom);
        const QByteArray body = result.format.byteOrderMark ? bytes.mid(kUtf8Bom.size()) : bytes;
        result.text = QString::fromUtf8(body);
        return result;
    }
    auto decoded = Cp932Codec::decode(bytes);
    result.text = std::move(decoded.text);
    result.format.cp932Memory = std::move(decoded.memory);
    return result;
}

QByteArray encode(const QString &text, const TextFormat &format)
{
    if (format.encoding == TextFormat::Encoding::Utf8) {
        QByteArray out = format.byteOrderMark ? kUtf8Bom : QByteArray();
        return out + text.toUtf8();
    }
    std::optional<Cp932Codec::Unencodable> failure;
    QByteArray out = Cp932Codec::encode(text, format.cp932Memory, &failure);
    if (failure) {
        const char32_t c = failure->character;
        throw UserError(QStringLiteral("文字%1は Shift_JIS で保存できません（%2 行目）")
                            .arg(QStringLiteral("「%1」(U+%2)")
                                     .arg(QString::fromUcs4(&c, 1))
                                     .arg(QString::number(uint(c), 16).toUpper().rightJustified(4, QLatin1Char('0'))))
                            .arg(lineOfPosition(text, failure->position)));
    }
    return out;
}

QByteArray encodeCp932OrUtf8(const QString &text)
{
    std::optional<Cp932Codec::Unencodable> failure;
    QByteArray out = Cp932Codec::encode(text, {}, &failure);
    return failure ? text.toUtf8() : out;
}

int lineOfPosition(const QString &text, qsizetype position)
{
    int line = 1;
    const qsizetype end = qMin(position, text.size());
    for (qsizetype i = 0; i < end; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n')) {
            ++line;
        } else if (c == QLatin1Char('\r')) {
            if (i + 1 < end && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            ++line;
        }
    }
    return line;
}

} // namespace TextCodec
