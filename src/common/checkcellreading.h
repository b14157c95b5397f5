#pragma once

class QTreeWidget;
class QTreeWidgetItem;

// A check box in a list's cell as a screen reader hears it. Qt 6.4 puts the checked state on
// the cell, but a reader only says it for a cell whose action is called "toggle" (Qt's is
// "Toggle", and selects the cell), and nothing is announced when the check changes. So the
// cell reads its state with its text, and a change of the check is announced on the cell.
namespace CheckCellReading {

// Sets the cell's text as read: "新規 チェックあり". Call again after the text or the check
// changes; false when the reading was already so (setting it changes the item, too).
bool readWithState(QTreeWidgetItem &item, int column);

// Tells a reader that the check of item's cell (a top-level row of list) has changed.
void announceChange(QTreeWidget &list, QTreeWidgetItem &item, int column);

} // namespace CheckCellReading
