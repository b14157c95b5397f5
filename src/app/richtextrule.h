#pragma once

#include <QString>

// Which documents are written as rich text: exactly those whose name ends in ".rtf", lower case,
// compared character for character. "page.RTF" is written as plain text.
namespace RichTextRule {

bool writesRichText(const QString &path);

} // namespace RichTextRule
