#pragma once

#include <QList>
#include <QString>

// A quick pass over a page for what our own checks read: the start tags with their attributes
// (values with entities as written, and where each value starts) and the CSS text where url(…)
// may stand (<style> blocks and style attributes). Comments and script are skipped; an unclosed
// construct simply ends the pass. It never fails.
namespace TagScan {

struct Attribute
{
    QString name;  // lower case
    QString value; // without its quotes
    qsizetype valueOffset = 0;
};

struct Tag
{
    QString name; // lower case
    qsizetype offset = 0;
    QList<Attribute> attributes;
    qsizetype end = 0; // just after its ">" (the end of the text when it has none)

    const Attribute *attribute(const QString &attributeName) const;
};

struct CssText
{
    QString text;
    qsizetype offset = 0;
};

struct Result
{
    QList<Tag> tags;
    QList<CssText> css;
};

Result scan(const QString &text);

} // namespace TagScan
