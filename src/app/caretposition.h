#pragma once

#include <QString>

// What status panel 0 says about the caret: "N行 M桁", the displayed line and the column. The
// column counts the Shift_JIS bytes before the caret on its line, so a full-width character
// moves it by two and a half-width one by one; a character Shift_JIS cannot hold counts two,
// as it would once written in a wider form.
namespace CaretPosition {

// Bytes the character takes in Shift_JIS.
int byteWidth(char32_t character);
// Bytes of the text in Shift_JIS.
int byteLength(const QString &text);

// lineIndex counts from 0; lineBeforeCaret is the part of that line left of the caret.
QString displayText(int lineIndex, const QString &lineBeforeCaret);

} // namespace CaretPosition
