#include "authoring/panetext.h"

namespace {

constexpr QChar kParagraphSeparator(0x2029);
constexpr QChar kLineSeparator(0x2028);

bool isPaneBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == kParagraphSeparator || c == kLineSeparator;
}

} // namespace

namespace PaneText {

QString fromDocument(const QString &crlfText)
{
    QString out;
    out.reserve(crlfText.size());
    for (qsizetype i = 0; i < crlfText.size(); ++i) {
        const QChar c = crlfText.at(i);
        if (c == QLatin1Char('\r')) {
            if (i + 1 < crlfText.size() && crlfText.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out.append(QLatin1Char('\n'));
        } else {
            out.append(c);
        }
    }
    return out;
}

QString toDocument(const QString &paneText)
{
    QString out;
    out.reserve(paneText.size() + paneText.size() / 16);
    for (QChar c : paneText) {
        if (isPaneBreak(c))
            out.append(QLatin1String("\r\n"));
        else
            out.append(c);
    }
    return out;
}

int toDocumentPosition(const QString &paneText, int panePosition)
{
    int position = panePosition;
    const int end = qMin(panePosition, int(paneText.size()));
    for (int i = 0; i < end; ++i) {
        if (isPaneBreak(paneText.at(i)))
            ++position;
    }
    return position;
}

int toPanePosition(const QString &crlfText, int documentPosition)
{
    int pane = 0;
    const int end = qMin(documentPosition, int(crlfText.size()));
    for (int i = 0; i < end; ++i) {
        if (crlfText.at(i) == QLatin1Char('\r') && i + 1 < crlfText.size() && crlfText.at(i + 1) == QLatin1Char('\n')) {
            if (i + 1 < end)
                ++i; // the pair is one pane position; a position between CR and LF maps past it
        }
        ++pane;
    }
    return pane;
}

} // namespace PaneText
