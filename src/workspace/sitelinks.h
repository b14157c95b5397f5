#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// What the pages of a site lead to, as the site check found it, for work that decides what goes
// online (更新分を公開): each page's and style sheet's local targets and the faults only the whole site shows.
// Paths are inside the site, "/" between names, as the screen shows them.
struct SiteLinks
{
    struct File
    {
        // The files its addresses lead to, once each: those that are there and those missing
        // (a folder's address stands for its index page).
        QStringList targets;
        // The site check's エラー sentences about this file that the page check does not say
        // itself (a link to a place the target page lacks, a file outside the site).
        QStringList errors;
    };

    QHash<QString, File> files;
};
