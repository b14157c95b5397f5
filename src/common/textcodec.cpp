#include "common/textcodec.h"

#include "common/charsetdeclaration.h"
#include "common/usererror.h"

#include <QStringDecoder>

#include <algorithm>
#include <memory>
#include <uchardet.h>

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

// UTF-8 that keeps a leading U+FEFF: QString::fromUtf8 drops it, so text that follows the file's
// own mark and starts with one would lose it at every save and reopen.
QString utf8Text(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

// Every non-ASCII sequence is two bytes long (U+0080..U+07FF: Latin, Greek, Cyrillic). Shift_JIS
// half-width katakana pairs form exactly such sequences (ﾈｺ is C8 BA), and a Japanese page is
// far likelier to hold those than accented Latin letters.
bool onlyTwoByteSequences(const QByteArray &utf8)
{
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8.at(i));
        if (b >= 0xE0)
            return false;
    }
    return true;
}

bool isAscii(const QByteArray &bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(), [](char b) { return static_cast<unsigned char>(b) < 0x80; });
}

bool detectorSaysUtf8(const QByteArray &bytes)
{
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, decltype(&uchardet_delete)> detector(uchardet_new(),
                                                                                                  &uchardet_delete);
    if (!detector || uchardet_handle_data(detector.get(), bytes.constData(), size_t(bytes.size())) != 0)
        return false;
    uchardet_data_end(detector.get());
    return qstricmp(uchardet_get_charset(detector.get()), "UTF-8") == 0;
}

DecodedText asUtf8(const QByteArray &bytes)
{
    DecodedText result;
    result.format.encoding = TextFormat::Encoding::Utf8;
    result.format.byteOrderMark = bytes.startsWith(kUtf8Bom);
    result.text = result.format.byteOrderMark ? utf8Text(bytes.mid(kUtf8Bom.size())) : QString::fromUtf8(bytes);
    result.format.lineEnd = LineEnds::detect(result.text);
    return result;
}

DecodedText asCp932(Cp932Codec::Decoded decoded)
{
    DecodedText result;
    result.text = std::move(decoded.text);
    result.format.cp932Memory = std::move(decoded.memory);
    result.format.lineEnd = LineEnds::detect(result.text);
    return result;
}

bool useUtf8(const QByteArray &bytes, const Cp932Codec::Decoded &asCp932)
{
    if (!TextCodec::isUtf8WithNonAscii(bytes))
        return false;
    const bool cp932Fits = !Cp932Codec::hasUndecodableBytes(asCp932.text);
    if (!cp932Fits)
        return true;
    if (onlyTwoByteSequences(bytes))
        return false;
    return detectorSaysUtf8(bytes);
}

// UTF-8 after the one byte order mark that says so: a further U+FEFF belongs to the text (a
// line can start with one), where QString::fromUtf8 would drop it.

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
    if (bytes.startsWith(kUtf8Bom))
        return asUtf8(bytes);
    Cp932Codec::Decoded cp932 = Cp932Codec::decode(bytes);
    // The page's own word holds unless its bytes cannot be read that way.
    if (const auto declared = CharsetDeclaration::find(bytes)) {
        if (*declared == CharsetDeclaration::Declared::ShiftJis
            && (!Cp932Codec::hasUndecodableBytes(cp932.text) || !isUtf8WithNonAscii(bytes)))
            return asCp932(std::move(cp932));
        // All-ASCII bytes read the same either way; the declaration then says how the page is
        // meant, so it is saved back, and checked, as what it declares.
        if (*declared == CharsetDeclaration::Declared::Utf8 && (isAscii(bytes) || isUtf8WithNonAscii(bytes)))
            return asUtf8(bytes);
    }
    if (useUtf8(bytes, cp932))
        return asUtf8(bytes);
    return asCp932(std::move(cp932));
}

QString decodeListFile(const QByteArray &bytes)
{
    if (bytes.startsWith(kUtf8Bom))
        return utf8Text(bytes.mid(kUtf8Bom.size()));
    Cp932Codec::Decoded cp932 = Cp932Codec::decode(bytes);
    // Earlier versions wrote a list that CP932 could not hold as UTF-8 without the mark; such a
    // file does not read as CP932, so it is still read as what it is.
    if (Cp932Codec::hasUndecodableBytes(cp932.text) && isUtf8WithNonAscii(bytes))
        return utf8Text(bytes);
    return cp932.text;
}

QByteArray encodeListFile(const QString &text)
{
    std::optional<Cp932Codec::Unencodable> failure;
    QByteArray out = Cp932Codec::encode(text, {}, &failure);
    // The private-use characters that stand for undecodable bytes become those bytes again,
    // which is right for bytes a list file held, but the same characters from anywhere else (a
    // page title can hold them) would come back as some other character, or join the byte
    // beside them into one. Such text, and any other that CP932 bytes would not give back as
    // it is, is kept in UTF-8.
    if (!failure && decodeListFile(out) == text)
        return out;
    return kUtf8Bom + text.toUtf8();
}

QString encodingName(const TextFormat &format)
{
    if (format.encoding == TextFormat::Encoding::Cp932)
        return QStringLiteral("Shift_JIS");
    return format.byteOrderMark ? QStringLiteral("UTF-8 (BOM)") : QStringLiteral("UTF-8");
}

TextFormat utf8FormatFor(const QString &text)
{
    TextFormat format;
    format.encoding = TextFormat::Encoding::Utf8;
    const DecodedText back = decode(text.toUtf8());
    format.byteOrderMark = back.format.encoding != TextFormat::Encoding::Utf8 || back.text != text;
    return format;
}

namespace {

UserError unencodable(const QString &text, const Cp932Codec::Unencodable &failure)
{
    const char32_t c = failure.character;
    return UserError(QStringLiteral("文字%1は Shift_JIS で保存できません（%2 行目）")
                         .arg(QStringLiteral("「%1」(U+%2)")
                                  .arg(QString::fromUcs4(&c, 1))
                                  .arg(QString::number(uint(c), 16).toUpper().rightJustified(4, QLatin1Char('0'))))
                         .arg(lineOfPosition(text, failure.position)));
}

QByteArray asUtf8Bytes(const QString &text, const TextFormat &format)
{
    QByteArray out = format.byteOrderMark ? kUtf8Bom : QByteArray();
    return out + text.toUtf8();
}

} // namespace

QByteArray encode(const QString &text, const TextFormat &format)
{
    QString written = text;
    LineEnds::convert(written, format.lineEnd);
    if (format.encoding == TextFormat::Encoding::Utf8)
        return asUtf8Bytes(written, format);
    std::optional<Cp932Codec::Unencodable> failure;
    QByteArray out = Cp932Codec::encode(written, format.cp932Memory, &failure);
    if (failure)
        throw unencodable(written, *failure);
    return out;
}

QByteArray encodeOver(QString &text, const TextFormat &format)
{
    if (format.encoding == TextFormat::Encoding::Utf8) {
        LineEnds::convert(text, format.lineEnd);
        return asUtf8Bytes(text, format);
    }
    if (const std::optional<Cp932Codec::Unencodable> failure = Cp932Codec::firstUnencodable(text, format.cp932Memory))
        throw unencodable(text, *failure);
    // Only once the text is known to fit: a refused text is left as it was.
    LineEnds::convert(text, format.lineEnd);
    const QByteArrayView bytes = Cp932Codec::encodeInPlace(text, format.cp932Memory);
    return QByteArray::fromRawData(bytes.data(), bytes.size());
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
