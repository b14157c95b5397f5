#include "workspace/panetext.h"

#include <algorithm>

namespace {

constexpr QChar kParagraphSeparator(0x2029);
constexpr QChar kLineSeparator(0x2028);

bool isPaneBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == kParagraphSeparator || c == kLineSeparator;
}

} // namespace

namespace PaneText {

QString fromDocument(QString crlfText)
{
    // Narrowed in place: only ever shorter, so nothing is written before it has been read.
    const qsizetype size = crlfText.size();
    char16_t *data = reinterpret_cast<char16_t *>(crlfText.data());
    qsizetype to = 0;
    for (qsizetype from = 0; from < size; ++from) {
        const char16_t c = data[from];
        if (c == u'\r') {
            if (from + 1 < size && data[from + 1] == u'\n')
                ++from;
            data[to++] = u'\n';
        } else {
            data[to++] = c;
        }
    }
    crlfText.truncate(to);
    return crlfText;
}

QString toDocument(QString paneText)
{
    // Widened in place from the end: the text of a large page is the largest buffer the program
    // makes, and a second one of its size cost a save more than all its other work (each new
    // page of memory is a fault for the system to serve). Growing it in place moves no page.
    const qsizetype breaks = std::count_if(paneText.cbegin(), paneText.cend(), isPaneBreak);
    const qsizetype paneSize = paneText.size();
    paneText.resize(paneSize + breaks);
    char16_t *data = reinterpret_cast<char16_t *>(paneText.data());
    qsizetype to = paneSize + breaks;
    for (qsizetype from = paneSize; from-- > 0;) {
        const char16_t c = data[from];
        if (isPaneBreak(QChar(c))) {
            data[--to] = u'\n';
            data[--to] = u'\r';
        } else {
            data[--to] = c;
        }
    }
    return paneText;
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
