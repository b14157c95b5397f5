#pragma once

#include "common/linefile.h"

#include <QStringList>

// The browsing lists of this run: the visited pages and the favourites, with what their files
// held when last read or written (so a file is rewritten only when its list changed). Owned by
// the main window; the web-list commands and the preview's page completion refer to it.
struct WebLists
{
    QStringList webHistory; // visited-page lines
    QStringList favoriteList;
    bool favoriteMode = false;
    bool webHistoryLoadFailed = false;   // never overwrite a list file that could not be read
    LineFile::Contents webHistoryAsRead; // what WEBUrl.ini held when last read or written
    LineFile::Contents favoritesAsRead;  // the same for favorite.ini
};
