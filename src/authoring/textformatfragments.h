#pragma once

#include "authoring/colorchoice.h"
#include "common/tagtable.h"

#include <QString>

#include <optional>

// The 文字 menu (Font1Click): font, base font and style tags around the selection.
namespace TextFormatFragments {

enum class Shape {
    Font,     // <font size color>S</font>, from the colour dialog
    BaseFont, // <basefont size>S, from the colour dialog; nothing closes it
    Wrap,     // open S close
};

struct Row
{
    int tag;
    Shape shape;
    const char16_t *open;
    const char16_t *close;
    std::optional<ColorSizePreset> dialog; // the colour dialog is shown with this preset
};

// Every row, in menu order, found by the tag of its menu item.
extern const TagTable<Row> kTable;
// The row of a menu tag; nullptr for a tag the menu does not have.
const Row *row(int tag);

// The text that replaces the selection S. result is what the dialog left when the row has one;
// an empty colour text means the user cancelled and the fragment is empty.
QString build(const Row &row, const QString &selection, const ColorChoice &result = {});

} // namespace TextFormatFragments
