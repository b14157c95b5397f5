#pragma once

#include <QString>

class PreviewCopyRecord;

// What the preview keeps for this run: where its file goes and under which name, the file it
// wrote (the only one it may delete), the record its files go on, the last page it finished
// loading and whether it browses online. Owned by the main window; the preview commands and the
// document commands (which move the preview folder with the document and delete the file)
// refer to it.
struct PreviewSession
{
    QString previewDir;      // folder of the preview file, with a trailing separator; may be empty
    QString previewName;     // file name of this run's preview file
    QString previewWritten;  // the preview file this run wrote and has not deleted; only it is deleted
    QString lastUrl;         // address of the last page whose loading completed
    bool onlineFlag = false; // the preview pane browses online
    // The record of this run's preview files, which the transfer window leaves out and the next
    // start deletes after a kill; none where nothing needs to know (tests of other things).
    PreviewCopyRecord *copies = nullptr;

    // PreviewDir + PreviewName; with no PreviewDir the name alone, relative to the current folder.
    QString previewFilePath() const { return previewDir + previewName; }
};
