#pragma once

#include "common/linefile.h"
#include "common/textcodec.h"

#include <QString>
#include <QStringList>

// The state the main window shares with the subsystems: the open document, the preview file
// and the browsing lists.
struct MainState
{
    QString currentFile;       // full path of the open document; empty while untitled
    TextFormat documentFormat; // how the open document was stored, to write it back alike
    bool plainText = false;    // read mode: true reads every file as plain text
    QString previewDir;        // folder of the preview file, with a trailing separator; may be empty
    QString previewName;       // file name of this run's preview file
    QString previewWritten;    // the preview file this run wrote and has not deleted; only it is deleted
    QString lastUrl;           // address of the last page whose loading completed
    bool onlineFlag = false;   // the preview pane browses online
    QStringList webHistory;    // visited-page lines
    QStringList favoriteList;
    bool favoriteMode = false;
    bool webHistoryLoadFailed = false;   // never overwrite a list file that could not be read
    LineFile::Contents webHistoryAsRead; // what WEBUrl.ini held when last read or written
    LineFile::Contents favoritesAsRead;  // the same for favorite.ini

    // PreviewDir + PreviewName; with no PreviewDir the name alone, relative to the current folder.
    QString previewFilePath() const { return previewDir + previewName; }
};
