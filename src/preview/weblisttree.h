#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What the history and favourites window shows, without the window: categories (days of the
// visited-page list, or favourite categories), each with its entries (a title and an address).
// Built from the list lines, grouping adjacent lines of one category, and turned back into the
// lines of either list as its write-back keeps them.
struct WebListTree
{
    enum class Mode {
        History,
        Favorites,
    };

    struct Entry
    {
        QString title;
        QString address;
    };

    struct Category
    {
        QString text;
        QList<Entry> entries;
    };

    QList<Category> categories;

    // A category node for every run of adjacent lines with the same first field (compared
    // exactly), so one category name may appear twice. Missing fields are empty; a first line
    // with an empty category still gets a category node to stand under.
    static WebListTree fromLines(const QStringList &lines);

    // Favourites: every entry with an address, in tree order. History: every entry, sorted and
    // capped as the visited-page file keeps them.
    QStringList toLines(Mode mode) const;

    // Whether a category of that name exists, letter case aside.
    bool hasCategory(const QString &name) const;
};
