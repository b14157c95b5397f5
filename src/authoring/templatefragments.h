#pragma once

#include "common/tagtable.h"

#include <QString>

// The ｽﾀｲﾙｼｰﾄ, スクリプト and フォーム menus: fixed templates that go either into the document's
// head or in place of the selection. None of them uses the selected text.
namespace TemplateFragments {

enum class Placement {
    Head,  // immediately before "</head>"; the selection is dropped, not replaced
    Caret, // in place of the selection
};

struct Row
{
    int tag;
    Placement placement;
    const char16_t *text;
    bool questionnaire = false; // the questionnaire body follows the text
};

// mnuStyleClick, JAVA1Click and mnuFormClick: every row, in menu order, by the tag of its item.
extern const TagTable<Row> kStyleTable;
extern const TagTable<Row> kScriptTable;
extern const TagTable<Row> kFormTable;
// The row of a menu tag; nullptr for a tag the menu does not have.
const Row *styleRow(int tag);
const Row *scriptRow(int tag);
const Row *formRow(int tag);

// The text the row inserts.
QString text(const Row &row);

// Where a head template goes: the position of the first "</head>" in the document text, matched
// exactly (an upper-case end tag is not it); -1 when there is none.
qsizetype headInsertionPoint(const QString &documentText);

// Shown instead of inserting a head template into a text without "</head>".
QString missingHeadMessage();

} // namespace TemplateFragments
