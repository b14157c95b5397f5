#pragma once

#include "common/textcodec.h"

#include <QByteArray>

// Whether a file's bytes are text the program can edit and write back. Images, archives, PDF and
// office documents hold NUL bytes within their first kilobytes, which no text does; what is left
// reads as neither Shift_JIS nor UTF-8, where a text file has at most the odd damaged byte (a
// character cut off at the end, a stray byte pasted in from elsewhere).
namespace TextContent {

// How much of a file's start is looked at for NUL bytes.
constexpr qsizetype kSniffedBytes = 64 * 1024;

enum class Reading {
    Clean,          // every byte read as part of a character
    SomeUnreadable, // text with a few bytes its encoding does not read
    NotText,        // bytes that are no text in any encoding the program reads
};

// A NUL byte in the file's start: cheap enough to refuse a large file before decoding it.
bool startsLikeBinary(const QByteArray &bytes);

// How the file's bytes read as the decoded text says they were read.
Reading reading(const QByteArray &bytes, const DecodedText &decoded);

} // namespace TextContent
