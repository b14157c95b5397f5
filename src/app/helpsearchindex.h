#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Full-text search over the help manual's pages by plain substring, so a Japanese word is found
// wherever it stands in a sentence (a word-splitting index cannot cut Japanese, which is written
// without spaces). Case and the width of kana, letters and digits are ignored: ﾌｧｲﾙ finds ファイル
// and ＦＴＰ finds FTP. Several words separated by spaces must all be on the page. Owns the pages'
// plain text.
class HelpSearchIndex
{
public:
    struct Hit
    {
        QString url;
        QString title;
        int count = 0;   // occurrences of all the words together
        QString excerpt; // the text around the first occurrence
    };

    // html: the page's source; its title and its text without tags are kept.
    void addPage(const QString &url, const QString &html);
    int pageCount() const { return static_cast<int>(m_pages.size()); }

    // The pages that hold every word of the query, the most occurrences first, then in the order
    // they were added. An empty query finds nothing.
    QList<Hit> find(const QString &query) const;

    // The text a reader sees: no tags, no script or style, character references decoded, runs
    // of white space made one space.
    static QString plainText(const QString &html);
    static QString titleOf(const QString &html);
    // The form both the pages and the queries are compared in.
    static QString folded(const QString &text);

private:
    struct Page
    {
        QString url;
        QString title;
        QString text;       // plain text
        QString foldedText; // of title and text
    };
    QList<Page> m_pages;
};
