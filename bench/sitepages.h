#pragma once

// The site the site bench searches and replaces in: a thousand pages of Japanese prose as
// beginners write them, half Shift_JIS and half UTF-8, each half in folders of its own so that a
// tool that must be told the encoding can be given each half alone.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace SitePages {

constexpr int kPages = 1000;
constexpr int kFolders = 20;
constexpr qsizetype kPageBytes = 20 * 1024;
inline const char *const kLabel = "1000pages";

// The words the lines look for. The Japanese one is 月末 because its Shift_JIS bytes also turn up
// across the characters of ordinary text: 東事務所 is 93 8C 8E 96 96 B1 8F 8A, and 8C 8E 96 96
// from its second byte on reads as 月末. A replace that goes by bytes finds it there.
inline const QString kAsciiWord = QStringLiteral("qzbenchword");
inline const QString kJapaneseWord = QStringLiteral("月末");
// What the replace lines put in their place: neither begins with the word it replaces, nor the
// word with it, so a page's bytes tell which of the two stands at each place.
inline const QString kAsciiReplacement = QStringLiteral("qzreplaced");
inline const QString kJapaneseReplacement = QStringLiteral("月の終わり");

enum class Encoding {
    ShiftJis,
    Utf8,
};

// One half of the site.
struct Half
{
    Encoding encoding = Encoding::Utf8;
    QStringList folders; // absolute, each holding only pages of this half
    QStringList pages;   // absolute
    qsizetype asciiMatches = 0;
    qsizetype japaneseMatches = 0;
    // Pages holding the Japanese word's bytes across characters (see kJapaneseWord).
    int trapPages = 0;
};

struct Site
{
    QString root;
    Half shiftJis;
    Half utf8;

    qsizetype asciiMatches() const { return shiftJis.asciiMatches + utf8.asciiMatches; }
    qsizetype japaneseMatches() const { return shiftJis.japaneseMatches + utf8.japaneseMatches; }
    QStringList allPages() const { return shiftJis.pages + utf8.pages; }
};

// Writes the site into root (made if missing; pages already there are written over), the same
// site every time, and counts the words as they stand in the pages' text.
Site write(const QString &root);

// A page's lines up to and with <body>: its doctype, charset declaration and title.
QStringList headLines(const QString &title, Encoding encoding);

// A page's text in its own bytes.
QByteArray encode(const QString &text, Encoding encoding);
QString decode(const QByteArray &bytes, Encoding encoding);

} // namespace SitePages
