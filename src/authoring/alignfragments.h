#pragma once

#include <QString>

#include <span>

// The 書式 menu (mnuSetAlignClick): alignment blocks around the selection, or a bare align
// attribute in front of it.
namespace AlignFragments {

struct Row
{
    int tag;
    const char16_t *open;
    const char16_t *close;
};

// The row of a menu tag; nullptr for a tag the menu does not have.
const Row *row(int tag);
// Every row, in menu order.
std::span<const Row> rows();

QString build(const Row &row, const QString &selection);

} // namespace AlignFragments
