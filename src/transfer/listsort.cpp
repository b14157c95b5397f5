#include "transfer/listsort.h"

#include <QLocale>

#include <cstdlib>

ListSort::ListSort() : m_collator(QLocale())
{
    m_collator.setCaseSensitivity(Qt::CaseSensitive);
}

void ListSort::click(int column)
{
    m_column = column;
    m_key = std::abs(m_key) == column + 1 ? -m_key : column + 1;
}

int ListSort::compare(const QString &a, const QString &b) const
{
    const int order = m_column == 0 ? m_collator.compare(a, b) : compareFolded(a, b);
    return m_key < 0 ? -order : order;
}

int ListSort::compareFolded(const QString &a, const QString &b)
{
    const auto fold = [](char16_t c) -> char16_t { return c >= u'a' && c <= u'z' ? c - (u'a' - u'A') : c; };
    const qsizetype n = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = fold(a.at(i).unicode());
        const char16_t y = fold(b.at(i).unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}
