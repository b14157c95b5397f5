#pragma once

#include <QList>
#include <QString>

// A quick pass over a page for what our own checks read: the start tags that hold attributes
// those checks look at (href, src, srcset, poster, action, style, charset, content, rel,
// property, id, name: values with entities as written, and where each value starts) and the
// <head>, <html>, <meta>, <link>, <base> and <title> tags whatever they hold, and the CSS text where url(…) may stand (<style> blocks and style
// attributes). Other tags and attributes are passed over without a copy, as most of a page's
// are. Comments and script are skipped; an unclosed construct simply ends the pass. It never
// fails.
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

// An address written in url(…) of a style sheet, and where it starts in the scanned text.
struct Url
{
    QString address;
    qsizetype offset = 0;
};
QList<Url> urls(const CssText &css);

// The text of a <title> tag's element, up to its end tag, as written.
QString titleOf(const QString &text, const Tag &title);

} // namespace TagScan
