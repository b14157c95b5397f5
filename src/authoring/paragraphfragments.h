#pragma once

#include "common/tagtable.h"

#include <QString>

// The 段落 menu (mnuKaigyoClick): line breaks, paragraph blocks, lists, definition lists and
// quotations. Every result ends with a line end.
namespace ParagraphFragments {

enum class Shape {
    Append,      // S lead
    Wrap,        // lead S tail; the sample when nothing is selected
    Sample,      // always the sample; the selection is replaced
    TermAndRest, // lead first-line middle rest tail when the first line is not empty; else the sample
};

struct Row
{
    int tag;
    Shape shape;
    const char16_t *lead;
    const char16_t *middle;
    const char16_t *tail;
    const char16_t *sample;
};

// The selection split for the term-and-rest shapes: the trimmed selection's first line, and
// everything after it with the blank lines between them dropped. Both are empty when the trimmed
// selection holds no line end.
struct FirstLineAndRest
{
    QString firstLine;
    QString rest;
};
FirstLineAndRest splitFirstLine(const QString &selection);

// Every row, in menu order, found by the tag of its menu item.
extern const TagTable<Row> kTable;
// The row of a menu tag; nullptr for a tag the menu does not have.
const Row *row(int tag);

QString build(const Row &row, const QString &selection);

} // namespace ParagraphFragments
