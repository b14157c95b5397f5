#pragma once

#include <QList>
#include <QString>

// The characters of a document that Shift_JIS (CP932) cannot hold, gathered before a save so
// that the user learns every one of them at once (the first few with their lines, and how many
// there are in all) and can choose UTF-8 instead. Plain data and text; the question is asked by
// the document commands.
struct UnencodableCharacters
{
    struct Occurrence
    {
        char32_t character = 0;
        int line = 0; // from 1, counting CR LF, CR and LF as one break each

        friend bool operator==(const Occurrence &, const Occurrence &) = default;
    };

    // How many occurrences the question lists by name; the rest are only counted.
    static constexpr qsizetype kNamed = 5;

    QList<Occurrence> named; // the first kNamed occurrences, in text order
    qsizetype total = 0;     // every occurrence; a character met twice counts twice

    bool isEmpty() const { return total == 0; }

    // One pass over the text; a surrogate pair is one character.
    static UnencodableCharacters find(const QString &text);

    // The question offering UTF-8 instead: every named character with its code and line, how
    // many in all, and, when the page itself declares Shift_JIS, that the declaration would then
    // be wrong. Ends with the Japanese full stop.
    QString utf8Question(bool pageDeclaresShiftJis) const;

    // True when the page's own charset declaration names Shift_JIS or one of its spellings.
    static bool declaresShiftJis(const QString &text);
};
