#pragma once

#include <QByteArray>
#include <QString>

// The code pages of RTF text: which one a font's character set stands for, and turning the
// bytes of a text run into Unicode. CP932 goes through the program's own lossless codec; the
// other Windows code pages a word processor may name go through the C library's converter.
namespace RtfCodepage {

constexpr int kWindowsWestern = 1252;
constexpr int kJapanese = 932;

// The code page of a \fcharsetN value; ANSI and default character sets follow the document's.
int fromCharset(int charset, int documentCodepage);

// Never fails: bytes a code page does not define decode to something visible rather than vanish.
QString decode(const QByteArray &bytes, int codepage);

} // namespace RtfCodepage
