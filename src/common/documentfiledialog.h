#pragma once

#include "common/userdialogs.h"

// The document open and save dialogs as every command shows them: the document filters with the
// first one selected, ".htm" added to a bare name, one file. Commands ask their own overwrite
// question, worded as the user knows it, so the dialog does not ask a second one.
FileDialogRequest documentFileDialog(FileDialogRequest::Mode mode, const QString &title = {},
                                     const QString &fileName = {});
