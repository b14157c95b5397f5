#pragma once

#include "common/textcodec.h"

#include <QString>

class EditorStack;

// Moves a page between a file and an editor: a rich-text file read as such is shown in the
// rich-text pane, anything else as text in the source view. Reading and writing are the
// document file's; this puts what it read into the views and takes what it writes out of them.
namespace EditorFile {

// Replaces the editor's content with the file; the editor is untouched when the file cannot be
// read or is not text. Returns the format to write a plain document back in. Throws UserError.
TextFormat load(EditorStack &editor, const QString &path, bool plainText);

// Writes the editor's text as plain text in format, or as rich text. Throws UserError.
void save(EditorStack &editor, const QString &path, bool plainText, const TextFormat &format);

} // namespace EditorFile
