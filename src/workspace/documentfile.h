#pragma once

#include "common/textcodec.h"

#include <QByteArray>
#include <QString>

class QTextDocument;

// Moves a page between a file and its text. Reading with the read mode off gives a rich-text
// file as rich text and any other file as text; with it on, every file as text. A file that is
// not text (an image, an archive, a PDF or office document) is refused before anything is
// touched. Plain text is decoded by the program's codec, whose format (encoding, line ends and
// the exact bytes of the source) is kept to write the text back the same way. Writes replace
// the file atomically.
namespace DocumentFile {

// What a file holds, as the editor is to show it.
struct Contents
{
    bool richText = false; // rtf holds the file's bytes; otherwise plain does
    QByteArray rtf;
    DecodedText plain;
};

// Throws UserError ("ファイル … は開けません" and why).
Contents read(const QString &path, bool plainText);

// The plain text of a file's bytes, read as read does with the read mode on. Throws as read does.
DecodedText decodePlain(const QString &path, const QByteArray &bytes);

// Writes the formatted text as RTF. Throws UserError.
void writeRichText(const QString &path, const QTextDocument &text);

// Writes text with CR LF line ends in format; a text handed over (moved) is encoded in its own
// memory. Nothing reaches the disk when the write fails. Throws UserError.
void savePlain(const QString &path, QString text, const TextFormat &format);

} // namespace DocumentFile
