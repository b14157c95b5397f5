#pragma once

#include "common/textcodec.h"

#include <QByteArray>
#include <QString>

class QTextEdit;

// Moves the document between a file and the editing pane. Reading with the read mode off shows
// a rich-text file formatted and any other file as text; with it on, every file as text. Plain
// text is decoded by the program's codec and written back in the encoding it came in, with CR LF
// line ends; writes replace the file atomically. It owns the memory of the plain text last read
// or written and its bytes: text that has not changed since is written back as exactly those
// bytes, whatever the codec would choose for characters a code page holds twice.
class DocumentFile
{
public:
    // Replaces the pane's content with the file; the pane is untouched when the file cannot be
    // read. Returns the format to write a plain document back in. Throws UserError.
    TextFormat load(QTextEdit &editor, const QString &path, bool plainText);

    // Writes the pane as plain text in format, or as rich text. Nothing reaches the disk when
    // the text cannot be encoded or the write fails. Throws UserError.
    void save(QTextEdit &editor, const QString &path, bool plainText, const TextFormat &format);

    // A new, empty document has no source to stay faithful to.
    void forgetSource();

    // CR LF for every lone CR or LF. Safe on CP932 and UTF-8 bytes alike: neither uses the two
    // bytes inside a multi-byte character.
    static QByteArray withCrLfLineEnds(const QByteArray &bytes);

private:
    QString m_sourceText;
    QByteArray m_sourceBytes;
    TextFormat::Encoding m_sourceEncoding = TextFormat::Encoding::Cp932;
    bool m_sourceByteOrderMark = false;
};
