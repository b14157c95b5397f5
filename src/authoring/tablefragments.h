#pragma once

#include "authoring/tablesettings.h"
#include "common/tagtable.h"

#include <QString>

// The 表 menu (mnuTableClick): a table with the settings' width and height in place of the
// selection; the plain grid takes its size from the settings, the samples are fixed.
namespace TableFragments {

struct Row
{
    int tag;
    const char16_t *body; // after the head, ending in "</table>"; nullptr: the plain grid
};

// Every row, in menu order, found by the tag of its menu item.
extern const TagTable<Row> kTable;
// The row of a menu tag; nullptr for a tag the menu does not have.
const Row *row(int tag);

// A grid larger than this would only freeze the editor (and could exhaust memory); no page
// needs one built by hand.
inline constexpr int kMaxRows = 1000;
inline constexpr int kMaxColumns = 100;

// The table start tag and its caption, each line ending in CR LF.
QString head(const QString &width, const QString &height);

// The whole table. The plain grid throws UserError when the rows or columns text is not an
// integer, or when the grid is larger than the limits above.
QString build(const Row &row, const TableSettings &settings);

// The integer a count text stands for: optional leading blanks, an optional sign, decimal
// digits. Anything else, or a number beyond int, throws UserError with the conversion failure.
int countOf(const QString &text);

} // namespace TableFragments
