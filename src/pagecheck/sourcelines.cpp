#include "pagecheck/sourcelines.h"

#include <algorithm>

SourceLines::SourceLines(const QString &text) : m_text(text)
{
    m_starts.append(0);
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            if (i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            m_starts.append(i + 1);
        } else if (c == QLatin1Char('\n')) {
            m_starts.append(i + 1);
        }
    }
}

qsizetype SourceLines::lineEnd(int index) const
{
    qsizetype end = index + 1 < m_starts.size() ? m_starts.at(index + 1) : m_text.size();
    while (end > m_starts.at(index)
           && (m_text.at(end - 1) == QLatin1Char('\n') || m_text.at(end - 1) == QLatin1Char('\r')))
        --end;
    return end;
}

SourceLines::Place SourceLines::placeOf(qsizetype offset) const
{
    offset = std::clamp<qsizetype>(offset, 0, m_text.size());
    const auto after = std::upper_bound(m_starts.cbegin(), m_starts.cend(), offset);
    const int index = int(after - m_starts.cbegin()) - 1;
    int column = 1;
    for (qsizetype i = m_starts.at(index); i < offset; ++i) {
        // The low half of a pair is the same character as the high half before it.
        if (!m_text.at(i).isLowSurrogate())
            ++column;
    }
    return {index + 1, column};
}

qsizetype SourceLines::offsetOf(int line, int column) const
{
    const int index = std::clamp(line, 1, lineCount()) - 1;
    const qsizetype end = lineEnd(index);
    qsizetype offset = m_starts.at(index);
    for (int c = 1; c < column && offset < end; ++c)
        offset += m_text.at(offset).isHighSurrogate() && offset + 1 < end ? 2 : 1;
    return offset;
}

int SourceLines::columnFromTidy(int line, int tidyColumn) const
{
    const int index = std::clamp(line, 1, lineCount()) - 1;
    const qsizetype end = lineEnd(index);
    int tidy = 1;
    int column = 1;
    for (qsizetype i = m_starts.at(index); i < end && tidy < tidyColumn; ++i) {
        const QChar c = m_text.at(i);
        if (c.isLowSurrogate())
            continue;
        tidy = c == QLatin1Char('\t') ? ((tidy - 1) / kTidyTabSize + 1) * kTidyTabSize + 1 : tidy + 1;
        ++column;
    }
    return column;
}
