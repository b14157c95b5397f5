#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

// Where Find next looks and where the find dialog stands. Positions are in the editor's text
// with CR LF line ends.
namespace FindRules {

// After the selection; with nothing selected, the start of the text. The caret alone never
// moves the search on, so a search with nothing selected always starts from the top.
int startPosition(int selectionStart, int selectionLength);

// The first match at or after from, letter case ignored; none past the end (no wrap-around).
std::optional<int> findNext(const QString &text, const QString &needle, int from);

// The dialog's top-left corner: halfway between the window's left edge and the editor's width,
// and halfway down between the window's top edge and its height (both rounded toward zero).
QPoint dialogPosition(const QRect &mainWindowFrame, int editorWidth);

} // namespace FindRules
