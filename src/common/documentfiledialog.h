#pragma once

#include "common/userdialogs.h"

// The document open and save dialogs as every command shows them: the document filters with the
// first one selected, ".htm" added to a bare name, one file. Commands ask their own overwrite
// question, worded as the user knows it, so the dialog does not ask a second one. Without a title
// of its own a dialog takes the one File > Open or File > Save As shows, so that a command borrowing
// the dialog (挿入 > ファイル名) is never titled by the toolkit in another language.
FileDialogRequest
documentFileDialog(FileDialogRequest::Mode mode, const QString &title = {}, const QString &fileName = {});
