#include "workspace/rtf/rtfcodepage.h"

#include "common/cp932codec.h"

#include <array>
#include <cerrno>
#include <iconv.h>
#include <optional>

namespace {

struct CharsetRow
{
    int charset;
    int codepage;
};

// Windows character sets as \fcharset names them, and their code pages.
constexpr std::array kCharsets{
    CharsetRow{77, 10000},
    CharsetRow{128, 932},
    CharsetRow{129, 949},
    CharsetRow{130, 1361},
    CharsetRow{134, 936},
    CharsetRow{136, 950},
    CharsetRow{161, 1253},
    CharsetRow{162, 1254},
    CharsetRow{163, 1258},
    CharsetRow{177, 1255},
    CharsetRow{178, 1256},
    CharsetRow{186, 1257},
    CharsetRow{204, 1251},
    CharsetRow{222, 874},
    CharsetRow{238, 1250},
    CharsetRow{254, 437},
    CharsetRow{255, 850},
};

// Windows-1252 differs from Latin-1 only in 0x80..0x9F.
constexpr std::array<char16_t, 32> kWindows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decodeWindows1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.append(b >= 0x80 && b < 0xA0 ? QChar(kWindows1252High[b - 0x80]) : QChar(b));
    }
    return text;
}

QByteArray iconvName(int codepage)
{
    switch (codepage) {
    case 10000:
        return "MACINTOSH";
    case 950:
        return "BIG5";
    default:
        return "CP" + QByteArray::number(codepage);
    }
}

std::optional<QString> decodeWithIconv(const QByteArray &bytes, int codepage)
{
    iconv_t cd = iconv_open("UTF-16LE", iconvName(codepage).constData());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    QByteArray out(bytes.size() * 4 + 4, Qt::Uninitialized);
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char *outPtr = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG || outLeft < 2)
            break;
        // An undefined or cut-off byte: show a replacement and go on with the next one.
        *outPtr++ = char(0xFD);
        *outPtr++ = char(0xFF);
        outLeft -= 2;
        ++in;
        --inLeft;
    }
    iconv_close(cd);
    const qsizetype produced = out.size() - qsizetype(outLeft);
    return QString(reinterpret_cast<const QChar *>(out.constData()), produced / 2);
}

} // namespace

namespace RtfCodepage {

int fromCharset(int charset, int documentCodepage)
{
    for (const CharsetRow &row : kCharsets) {
        if (row.charset == charset)
            return row.codepage;
    }
    return documentCodepage;
}

QString decode(const QByteArray &bytes, int codepage)
{
    if (bytes.isEmpty())
        return {};
    if (codepage == kJapanese)
        return Cp932Codec::decode(bytes).text;
    if (codepage == kWindowsWestern)
        return decodeWindows1252(bytes);
    if (auto text = decodeWithIconv(bytes, codepage))
        return *text;
    return decodeWindows1252(bytes);
}

} // namespace RtfCodepage
