#pragma once

#include "common/textcodec.h"

#include <QString>

// The state the main window shares with the subsystems: the open document.
struct MainState
{
    QString currentFile;       // full path of the open document; empty while untitled
    TextFormat documentFormat; // how the open document was stored, to write it back alike
    bool plainText = false;    // read mode: true reads every file as plain text
};
