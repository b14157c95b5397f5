#include "common/cp932codec.h"

#include <iconv.h>

#include <QSet>

#include <cerrno>
#include <memory>

namespace {

constexpr char32_t kRawByteBase = 0xF700;   // raw byte b decodes to kRawByteBase + b

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// One iconv conversion state; glibc's CP932 table is the Windows one (0x8160 <-> U+FF5E).
class Converter
{
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts one complete unit; nullopt when the table has no mapping for it.
    std::optional<QByteArray> convert(const char *data, size_t size)
    {
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

// An iconv state must not be shared between threads (the FTP worker decodes server text too).
Converter &decoder()
{
    thread_local Converter c("UTF-32LE", "CP932");
    return c;
}

Converter &encoder()
{
    thread_local Converter c("CP932", "UTF-32LE");
    return c;
}

std::optional<char32_t> decodeUnit(const char *data, size_t size)
{
    auto out = decoder().convert(data, size);
    if (!out || out->size() != 4)
        return std::nullopt;
    const auto *u = reinterpret_cast<const unsigned char *>(out->constData());
    return char32_t(u[0] | (u[1] << 8) | (u[2] << 16) | (char32_t(u[3]) << 24));
}

std::optional<QByteArray> encodeChar(char32_t c)
{
    if (c >= kRawByteBase + 0x80 && c <= kRawByteBase + 0xFF)
        return QByteArray(1, char(c - kRawByteBase));
    unsigned char in[4] = {static_cast<unsigned char>(c & 0xFF), static_cast<unsigned char>((c >> 8) & 0xFF),
                           static_cast<unsigned char>((c >> 16) & 0xFF), static_cast<unsigned char>(c >> 24)};
    return encoder().convert(reinterpret_cast<const char *>(in), 4);
}

void appendChar(QString &text, char32_t c)
{
    text.append(QString::fromUcs4(&c, 1));
}

} // namespace

Cp932Codec::Decoded Cp932Codec::decode(const QByteArray &bytes)
{
    Decoded result;
    result.text.reserve(bytes.size());
    // Double-byte characters as read, to find those written in a non-canonical form.
    QList<std::pair<char32_t, QByteArray>> doubleBytes;
    QSet<char32_t> nonCanonical;
    const char *data = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (b < 0x80) {
            result.text.append(QChar(b));
            ++i;
            continue;
        }
        if (isLeadByte(b) && i + 1 < size) {
            if (auto c = decodeUnit(data + i, 2)) {
                appendChar(result.text, *c);
                const QByteArray used(data + i, 2);
                auto canonical = encodeChar(*c);
                if (!canonical || *canonical != used)
                    nonCanonical.insert(*c);
                doubleBytes.append({*c, used});
                i += 2;
                continue;
            }
        }
        if (auto c = decodeUnit(data + i, 1)) {   // half-width katakana
            appendChar(result.text, *c);
        } else {
            appendChar(result.text, kRawByteBase + b);
        }
        ++i;
    }
    if (!nonCanonical.isEmpty()) {
        for (const auto &[c, used] : std::as_const(doubleBytes)) {
            if (nonCanonical.contains(c))
                result.memory[c].append(used);
        }
    }
    return result;
}

QByteArray Cp932Codec::encode(const QString &text, const ByteMemory &memory,
                              std::optional<Unencodable> *failure)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    QHash<char32_t, QByteArray> cache;
    QHash<char32_t, qsizetype> occurrences;
    for (qsizetype i = 0; i < text.size();) {
        const QChar ch = text.at(i);
        if (ch.unicode() < 0x80) {
            out.append(char(ch.unicode()));
            ++i;
            continue;
        }
        char32_t c = ch.unicode();
        qsizetype width = 1;
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(ch, text.at(i + 1));
            width = 2;
        }
        if (auto remembered = memory.constFind(c); remembered != memory.cend() && !remembered->isEmpty()) {
            qsizetype &seen = occurrences[c];
            out.append(remembered->at(qMin(seen, remembered->size() - 1)));
            ++seen;
        } else if (auto cached = cache.constFind(c); cached != cache.cend()) {
            out.append(*cached);
        } else if (auto bytes = encodeChar(c)) {
            cache.insert(c, *bytes);
            out.append(*bytes);
        } else {
            if (failure)
                *failure = Unencodable{c, i};
            return {};
        }
        i += width;
    }
    if (failure)
        failure->reset();
    return out;
}

bool Cp932Codec::canEncode(const QString &text)
{
    std::optional<Unencodable> failure;
    encode(text, {}, &failure);
    return !failure.has_value();
}

bool Cp932Codec::hasUndecodableBytes(const QString &decoded)
{
    for (const QChar c : decoded) {
        if (c.unicode() >= kRawByteBase + 0x80 && c.unicode() <= kRawByteBase + 0xFF)
            return true;
    }
    return false;
}
