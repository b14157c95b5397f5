#pragma once

#include <QList>
#include <QRegularExpression>
#include <QString>

#include <optional>

// What 置換 looks for and what it puts in its place, on the editor's text with CR LF line ends.
// Every search runs as a regular expression: plain text is escaped into one, so the letter case,
// whole words and line ends behave the same whichever way the user asked.
namespace ReplaceRules {

struct Options
{
    bool matchCase = false;
    bool wholeWord = false;
    bool regex = false;
};

// A stretch of the text: where it starts and how many characters it covers (an empty match
// covers none).
struct Range
{
    int start = 0;
    int length = 0;

    int end() const { return start + length; }
    bool operator==(const Range &) const = default;
};

// One replacement: the range it takes out and the text it puts there.
struct Edit
{
    Range range;
    QString text;
};

// A match found by a search, and whether the search went round from the top to find it.
struct Found
{
    Range range;
    bool wrapped = false;
};

// The search text compiled once for the options. Whole words are words as the user sees them:
// a match may not cut into a run of word characters, and a run of Japanese (kanji, hiragana,
// katakana) is a word apart from the letters and digits next to it, as 日本abcです reads.
class Pattern
{
public:
    Pattern(const QString &searchText, Options options);

    bool isValid() const { return m_error.isEmpty(); }
    // Says in Japanese where a regular expression goes wrong; empty when it is valid.
    QString errorMessage() const { return m_error; }

    // The next match from the selection on, or from the top once when there is none below it.
    // A bare caret passes over an empty match just at it, so asking again moves on.
    std::optional<Found> findNext(const QString &text, Range selection) const;
    // The match that covers exactly this range, if there is one.
    std::optional<QRegularExpressionMatch> matchExactly(const QString &text, Range range) const;
    // What takes the match's place: the text as typed, or for a regular expression with $1 or \1
    // (group 1), $0 or \0 (the whole match), $$ and \\ (the sign itself) filled in.
    QString replacementFor(const QRegularExpressionMatch &match, const QString &with) const;
    // Every match in the text in order with its replacement; past an empty match the search moves
    // on by one character, so an expression that can match nothing still comes to an end.
    QList<Edit> replaceAll(const QString &text, const QString &with) const;
    // Every match in the text in order, for a list of them; empty matches as replaceAll meets them.
    QList<Range> findAll(const QString &text) const;

private:
    std::optional<Range> firstFrom(const QString &text, int from, int passOverEmptyAt) const;

    Options m_options;
    QRegularExpression m_expression;
    QString m_error;
};

} // namespace ReplaceRules
