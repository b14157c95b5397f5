#pragma once

#include "common/textcodec.h"

#include <QString>

class EditorStack;

// Moves the document between a file and the editing pane. Reading with the read mode off shows
// a rich-text file formatted and any other file as text; with it on, every file as text. A file
// that is not text (an image, an archive, a PDF or office document) is refused. Plain text is
// decoded by the program's codec, whose format (encoding, line ends and the exact bytes of the
// source) is kept to write the text back the same way. Writes replace the file atomically.
namespace DocumentFile {

// Replaces the pane's content with the file; the pane is untouched when the file cannot be
// read or is not text. Returns the format to write a plain document back in. Throws UserError.
TextFormat load(EditorStack &editor, const QString &path, bool plainText);

// Writes the pane as plain text in format, or as rich text. Nothing reaches the disk when the
// text cannot be encoded or the write fails. Throws UserError.
void save(EditorStack &editor, const QString &path, bool plainText, const TextFormat &format);

// Writes text, the pane's plain text already taken, in format; a text handed over (moved) is
// encoded in its own memory. Throws UserError.
void savePlain(const QString &path, QString text, const TextFormat &format);

} // namespace DocumentFile
