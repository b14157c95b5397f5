#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The pages open at the end of a run, for the next start to open again: each page's file, its
// caret and where its view was scrolled to, in tab order, and which one was in front. Untitled
// pages have no file to come back from and are not part of it. Kept in a small file of the
// data folder; a line the file does not hold plainly is passed over, so a damaged file costs at
// most the pages it damaged.
struct PageSession
{
    static inline const QString kFileName = QStringLiteral("session.ini");
    // More tabs than anyone works in; a file naming more is not one this program wrote.
    static constexpr int kMostPages = 500;

    struct Page
    {
        QString path;
        int caret = 0;  // a position in the page's text
        int scroll = 0; // the view's vertical scroll bar
        bool operator==(const Page &) const = default;
    };

    QList<Page> pages;
    int current = 0; // index into pages

    static PageSession parse(const QByteArray &text);
    QByteArray toText() const;

    // Empty when the file is missing, unreadable or not this program's.
    static PageSession read(const QString &path);
    // Replaces the file atomically; throws UserError when it cannot be written.
    void write(const QString &path) const;

    bool operator==(const PageSession &) const = default;
};
