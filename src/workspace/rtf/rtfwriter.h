#pragma once

#include <QByteArray>

class QTextDocument;

// Writes a QTextDocument as rich text (RTF) that RtfReader and common word processors read back:
// paragraphs with their first-line and left indents and alignment, and for every run of text its
// font, size, colour, background colour, bold, italic, underline and strike-through. Text is
// Japanese-first: the ANSI code page is 932, every font declares the Shift_JIS character set,
// characters CP932 holds are written as \'hh bytes and the others as \uN with "?" as fallback.
class RtfWriter
{
public:
    static QByteArray write(const QTextDocument &document);
};
