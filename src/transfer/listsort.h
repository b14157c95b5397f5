#pragma once

#include <QCollator>
#include <QString>

// The one sort state both lists of the transfer window share, and its comparisons. A click on a
// column sorts by it ascending, a second click on the same column (of either list) descending.
class ListSort
{
public:
    ListSort();

    // Records a click on the column; the new key tells the direction.
    void click(int column);
    int column() const { return m_column; }
    int key() const { return m_key; } // ±(column + 1), 0 before any click; negative: descending
    bool descending() const { return m_key < 0; }

    // Negative, zero or positive as a sorts before, with or after b under the current key:
    // names by the user's locale (capitals and small letters in its order), other columns by
    // their text with only a to z folded onto A to Z.
    int compare(const QString &a, const QString &b) const;

    static int compareFolded(const QString &a, const QString &b);

    // The user's locale order of names, for keys computed once per name.
    const QCollator &collator() const { return m_collator; }

private:
    int m_column = 0;
    int m_key = 0;
    QCollator m_collator;
};
