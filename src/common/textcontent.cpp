#include "common/textcontent.h"

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

// A damaged text file has a few unreadable bytes, a file of another kind read as Shift_JIS has
// them everywhere (about one byte in eleven for random bytes). Below both limits it is text.
constexpr qsizetype kTextMayHaveUnreadable = 8;
constexpr qsizetype kBytesPerUnreadableInText = 100;

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

namespace TextContent {

bool startsLikeBinary(const QByteArray &bytes)
{
    return QByteArrayView(bytes).first(qMin(bytes.size(), kSniffedBytes)).contains('\0');
}

Reading reading(const QByteArray &bytes, const DecodedText &decoded)
{
    if (decoded.format.encoding == TextFormat::Encoding::Utf8) {
        // Read as UTF-8 by its mark, whatever follows; without one, only when every byte fits.
        const QByteArray text =
            decoded.format.byteOrderMark && bytes.startsWith(kUtf8Bom) ? bytes.mid(kUtf8Bom.size()) : bytes;
        return isAscii(text) || TextCodec::isUtf8WithNonAscii(text) ? Reading::Clean : Reading::SomeUnreadable;
    }
    const qsizetype unreadable = Cp932Codec::undecodableByteCount(decoded.text);
    if (unreadable == 0)
        return Reading::Clean;
    if (unreadable >= kTextMayHaveUnreadable && unreadable * kBytesPerUnreadableInText > bytes.size())
        return Reading::NotText;
    return Reading::SomeUnreadable;
}

} // namespace TextContent
