#pragma once

#include "common/tagtable.h"

#include <QString>

// The 挿入 menu: image tags, links, the background-colour attribute and the horizontal rule.
namespace InsertFragments {

// mnuGrp1Click: the image tag replaces the selection; the selection itself is not used.
struct ImageRow
{
    int tag;
    const char16_t *align;
};
extern const TagTable<ImageRow> kImageTable; // the rows by the tag of their menu items
const ImageRow *imageRow(int tag);           // nullptr for a tag the menu does not have
QString image(const ImageRow &row);

// URL1Click. The link text is the selection, or a placeholder when nothing is selected. A row
// with an address form uses it when the link text looks like a mail address: the text becomes
// the target and the link text is left empty.
struct LinkRow
{
    int tag;
    const char16_t *open;
    const char16_t *close;       // %1 stands for the line of breaks of the in-page jump
    const char16_t *addressOpen; // empty: the row has no address form
    const char16_t *addressClose;
};
extern const TagTable<LinkRow> kLinkTable; // the rows by the tag of their menu items
const LinkRow *linkRow(int tag);           // nullptr for a tag the menu does not have
QString link(const LinkRow &row, const QString &selection);

// mnuBGCOLORClick: a bare attribute with its leading blank; empty when the dialog was cancelled.
QString backgroundColorAttribute(const QString &colorText);

// mnuHRClick.
QString horizontalRule();

} // namespace InsertFragments
