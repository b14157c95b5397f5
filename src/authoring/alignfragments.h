#pragma once

#include "common/tagtable.h"

#include <QString>

// The 書式 menu (mnuSetAlignClick): alignment blocks around the selection, or a bare align
// attribute in front of it.
namespace AlignFragments {

struct Row
{
    int tag;
    const char16_t *open;
    const char16_t *close;
};

// Every row, in menu order, found by the tag of its menu item.
extern const TagTable<Row> kTable;
// The row of a menu tag; nullptr for a tag the menu does not have.
const Row *row(int tag);

QString build(const Row &row, const QString &selection);

} // namespace AlignFragments
