#include "common/lineends.h"

namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';

// Each line end of the text becomes the one character; the text only gets shorter.
void toSingle(QString &text, char16_t end)
{
    if (!text.contains(QChar(kCr)) && (end == kLf || !text.contains(QChar(kLf))))
        return;
    QChar *data = text.data();
    const qsizetype size = text.size();
    qsizetype out = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i].unicode();
        if (c == kCr) {
            if (i + 1 < size && data[i + 1].unicode() == kLf)
                ++i;
            data[out++] = QChar(end);
        } else if (c == kLf) {
            data[out++] = QChar(end);
        } else {
            data[out++] = data[i];
        }
    }
    text.truncate(out);
}

// Every lone CR and lone LF becomes CR LF; a text that has none is left as it is.
void toCrLf(QString &text)
{
    const qsizetype size = text.size();
    qsizetype lone = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == kCr && i + 1 < size && text.at(i + 1).unicode() == kLf)
            ++i;
        else if (c == kCr || c == kLf)
            ++lone;
    }
    if (lone == 0)
        return;
    QString out;
    out.reserve(size + lone);
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == kCr || c == kLf) {
            if (c == kCr && i + 1 < size && text.at(i + 1).unicode() == kLf)
                ++i;
            out += QStringLiteral("\r\n");
        } else {
            out += text.at(i);
        }
    }
    text = std::move(out);
}

} // namespace

namespace LineEnds {

LineEnd detect(QStringView text)
{
    qsizetype crLf = 0;
    qsizetype lf = 0;
    qsizetype cr = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == kCr) {
            if (i + 1 < size && text.at(i + 1).unicode() == kLf) {
                ++crLf;
                ++i;
            } else {
                ++cr;
            }
        } else if (c == kLf) {
            ++lf;
        }
    }
    if (crLf >= lf && crLf >= cr)
        return LineEnd::CrLf;
    return lf >= cr ? LineEnd::Lf : LineEnd::Cr;
}

void convert(QString &text, LineEnd lineEnd)
{
    switch (lineEnd) {
    case LineEnd::CrLf:
        toCrLf(text);
        return;
    case LineEnd::Lf:
        toSingle(text, kLf);
        return;
    case LineEnd::Cr:
        toSingle(text, kCr);
        return;
    }
}

} // namespace LineEnds
