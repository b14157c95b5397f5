#pragma once

#include <QList>
#include <QString>

// The lines of a text and the ways of naming a place in it: a UTF-16 offset, a line and column
// in characters (what the user sees and the caret goes to), and tidy's line and column, which
// counts code points and expands a tab to the next multiple of eight. Lines end at CR LF, CR or
// LF, as tidy and the editor count them.
class SourceLines
{
public:
    // text: kept by reference, so it must outlive this object.
    explicit SourceLines(const QString &text);

    struct Place
    {
        int line = 1;   // from 1
        int column = 1; // from 1, in characters
    };

    int lineCount() const { return int(m_starts.size()); }
    Place placeOf(qsizetype offset) const;
    // The offset of a line and column; clamped into the line and the text.
    qsizetype offsetOf(int line, int column) const;
    // tidy's column on a line as a column in characters; clamped into the line.
    int columnFromTidy(int line, int tidyColumn) const;

    static constexpr int kTidyTabSize = 8;

private:
    qsizetype lineEnd(int index) const;

    const QString &m_text;
    QList<qsizetype> m_starts;
};
