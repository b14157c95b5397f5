#include "common/cp932codec.h"

#include <QSet>

#include <array>
#include <iconv.h>
#include <memory>

namespace {

constexpr char32_t kRawByteBase = 0xF700; // raw byte b decodes to kRawByteBase + b
constexpr char16_t kNoChar = 0;           // no table entry (U+0000 is never a double-byte form)

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// One iconv conversion of one complete unit; glibc's CP932 table is the Windows one
// (0x8160 <-> U+FF5E). Used only to build the tables below, once per process.
class Converter
{
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    std::optional<QByteArray> convert(const char *data, size_t size)
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            return std::nullopt;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        QByteArray out(int(size * 4 + 8), Qt::Uninitialized);
        char *in = const_cast<char *>(data);
        size_t inLeft = size;
        char *outPtr = out.data();
        size_t outLeft = size_t(out.size());
        if (iconv(m_cd, &in, &inLeft, &outPtr, &outLeft) == size_t(-1) || inLeft != 0)
            return std::nullopt;
        out.resize(out.size() - qsizetype(outLeft));
        return out;
    }

private:
    iconv_t m_cd;
};

// Every CP932 character is in the Basic Multilingual Plane, so both directions fit in flat
// tables: decoding and encoding a page is then one table look-up per character instead of
// a library call, and needs no memory beyond the text itself.
struct Tables
{
    std::array<char16_t, 256> single{};            // single bytes 0x80..0xFF (half-width kana)
    std::array<char16_t, 256 * 256> pair{};        // lead << 8 | trail -> character
    std::array<bool, 256 * 256> pairIsCanonical{}; // the encoder writes this character this way
    std::array<quint16, 65536> encoded{};          // character -> bytes (< 0x100: one byte); 0: none

    Tables()
    {
        Converter decoder("UTF-32LE", "CP932");
        Converter encoder("CP932", "UTF-32LE");
        auto decodeUnit = [&decoder](const char *data, size_t size) -> char16_t {
            const auto out = decoder.convert(data, size);
            if (!out || out->size() != 4)
                return kNoChar;
            const auto *u = reinterpret_cast<const unsigned char *>(out->constData());
            const char32_t c = u[0] | (u[1] << 8) | (u[2] << 16) | (char32_t(u[3]) << 24);
            return c > 0 && c <= 0xFFFF ? char16_t(c) : kNoChar;
        };
        for (int b = 0x80; b <= 0xFF; ++b) {
            const char byte = char(b);
            single[b] = decodeUnit(&byte, 1);
        }
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isLeadByte(lead))
                continue;
            for (int trail = 0; trail <= 0xFF; ++trail) {
                const char unit[2] = {char(lead), char(trail)};
                pair[lead << 8 | trail] = decodeUnit(unit, 2);
            }
        }
        for (int c = 0x80; c <= 0xFFFF; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF)
                continue;
            const unsigned char in[4] = {
                static_cast<unsigned char>(c & 0xFF), static_cast<unsigned char>(c >> 8), 0, 0};
            const auto out = encoder.convert(reinterpret_cast<const char *>(in), 4);
            if (!out || out->isEmpty() || out->size() > 2)
                continue;
            const auto *o = reinterpret_cast<const unsigned char *>(out->constData());
            encoded[c] = out->size() == 1 ? o[0] : quint16(o[0] << 8 | o[1]);
        }
        for (int p = 0; p < int(pair.size()); ++p)
            pairIsCanonical[p] = pair[p] != kNoChar && encoded[pair[p]] == p;
        // Bytes that no table decodes come back as themselves.
        for (int b = 0x80; b <= 0xFF; ++b)
            encoded[kRawByteBase + b] = quint16(b);
    }
};

const Tables &tables()
{
    static const Tables t; // built once, thread-safe; read-only afterwards
    return t;
}

// Walks the bytes as the decoder splits them into units: a lead byte and the byte after it
// when the two form a character, else one byte.
template<typename OnSingle, typename OnPair>
void forEachUnit(const QByteArray &bytes, const Tables &t, OnSingle onSingle, OnPair onPair)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        const unsigned char b = data[i];
        if (b >= 0x80 && isLeadByte(b) && i + 1 < size) {
            const int p = b << 8 | data[i + 1];
            if (t.pair[p] != kNoChar) {
                onPair(p);
                i += 2;
                continue;
            }
        }
        onSingle(b);
        ++i;
    }
}

} // namespace

Cp932Codec::Decoded Cp932Codec::decode(const QByteArray &bytes)
{
    const Tables &t = tables();
    Decoded result;
    // Every unit yields one UTF-16 unit, so the text is never longer than the bytes.
    result.text.resize(bytes.size());
    char16_t *out = reinterpret_cast<char16_t *>(result.text.data());
    qsizetype length = 0;
    bool sawNonCanonical = false;
    forEachUnit(
        bytes,
        t,
        [&](unsigned char b) {
            if (b < 0x80)
                out[length++] = b;
            else
                out[length++] = t.single[b] != kNoChar ? t.single[b] : char16_t(kRawByteBase + b);
        },
        [&](int p) {
            out[length++] = t.pair[p];
            sawNonCanonical |= !t.pairIsCanonical[p];
        });
    result.text.truncate(length);
    if (!sawNonCanonical)
        return result;

    // Rare: some character was written in a form the encoder would not choose. Remember, for
    // those characters only, the bytes of each occurrence in order.
    QSet<char16_t> nonCanonical;
    forEachUnit(
        bytes,
        t,
        [](unsigned char) {},
        [&](int p) {
            if (!t.pairIsCanonical[p])
                nonCanonical.insert(t.pair[p]);
        });
    forEachUnit(
        bytes,
        t,
        [](unsigned char) {},
        [&](int p) {
            if (nonCanonical.contains(t.pair[p])) {
                const char form[2] = {char(p >> 8), char(p & 0xFF)};
                result.memory[t.pair[p]].append(QByteArray(form, 2));
            }
        });
    return result;
}

namespace {

// The encoder itself. Each UTF-16 unit read gives at most two bytes, so the bytes written never
// pass the unit being read: out may be the text's own memory. Without out, only checks. Returns
// the bytes written, or nothing at the first character CP932 cannot hold.
std::optional<qsizetype> encodeUnits(QStringView text,
                                     const Cp932Codec::ByteMemory &memory,
                                     char *out,
                                     std::optional<Cp932Codec::Unencodable> *failure)
{
    const Tables &t = tables();
    qsizetype written = 0;
    const auto put = [&](char byte) {
        if (out)
            out[written] = byte;
        ++written;
    };
    QHash<char32_t, qsizetype> occurrences;
    const char16_t *u = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = u[i];
        if (c < 0x80) {
            put(char(c));
            continue;
        }
        if (!memory.isEmpty()) {
            if (auto remembered = memory.constFind(c); remembered != memory.cend() && !remembered->isEmpty()) {
                qsizetype &seen = occurrences[c];
                const QByteArray &form = remembered->at(qMin(seen, remembered->size() - 1));
                ++seen;
                // A form is at most two bytes: two per UTF-16 unit is all the room there is.
                for (char byte : form.left(2))
                    put(byte);
                continue;
            }
        }
        const quint16 bytes = QChar::isSurrogate(c) ? 0 : t.encoded[c];
        if (bytes == 0) {
            if (failure) {
                const bool pairOfSurrogates =
                    QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(u[i + 1]);
                *failure =
                    Cp932Codec::Unencodable{pairOfSurrogates ? QChar::surrogateToUcs4(c, u[i + 1]) : char32_t(c), i};
            }
            return std::nullopt;
        }
        if (bytes < 0x100) {
            put(char(bytes));
        } else {
            put(char(bytes >> 8));
            put(char(bytes & 0xFF));
        }
    }
    if (failure)
        failure->reset();
    return written;
}

} // namespace

QByteArray Cp932Codec::encode(const QString &text, const ByteMemory &memory, std::optional<Unencodable> *failure)
{
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    const std::optional<qsizetype> written = encodeUnits(text, memory, out.data(), failure);
    if (!written)
        return {};
    out.truncate(*written);
    return out;
}

std::optional<Cp932Codec::Unencodable> Cp932Codec::firstUnencodable(QStringView text, const ByteMemory &memory)
{
    std::optional<Unencodable> failure;
    encodeUnits(text, memory, nullptr, &failure);
    return failure;
}

QByteArrayView Cp932Codec::encodeInPlace(QString &text, const ByteMemory &memory)
{
    char *bytes = reinterpret_cast<char *>(text.data());
    const std::optional<qsizetype> written = encodeUnits(text, memory, bytes, nullptr);
    return written ? QByteArrayView(bytes, *written) : QByteArrayView();
}

bool Cp932Codec::canEncode(const QString &text)
{
    return !firstUnencodable(text, {}).has_value();
}

bool Cp932Codec::canEncode(char32_t character)
{
    if (character < 0x80)
        return true;
    if (character > 0xFFFF || QChar::isSurrogate(character))
        return false;
    return tables().encoded[character] != 0;
}

qsizetype Cp932Codec::undecodableByteCount(const QString &decoded)
{
    qsizetype count = 0;
    for (const QChar c : decoded) {
        if (c.unicode() >= kRawByteBase + 0x80 && c.unicode() <= kRawByteBase + 0xFF)
            ++count;
    }
    return count;
}

bool Cp932Codec::hasUndecodableBytes(const QString &decoded)
{
    for (const QChar c : decoded) {
        if (c.unicode() >= kRawByteBase + 0x80 && c.unicode() <= kRawByteBase + 0xFF)
            return true;
    }
    return false;
}
