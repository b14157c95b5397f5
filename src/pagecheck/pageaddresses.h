#pragma once

#include "pagecheck/tagscan.h"

#include <QList>
#include <QString>

// Every address a page or a style sheet uses, as written and where it starts in the text:
// href, src, each candidate of srcset, poster, <form action>, and url(…) in style attributes,
// <style> blocks and style sheets. A <base> or canonical address names the page online, not a
// file of the site, and is left out. What the site check judges and what a rename rewrites are
// the same addresses, so both read them here.
namespace PageAddresses {

struct Address
{
    QString text; // as written: entities, spaces around it and all
    qsizetype offset = 0;
};

// The tags' addresses in the order of the page, then those of its CSS.
QList<Address> ofPage(const TagScan::Result &scan);
QList<Address> ofStyleSheet(const QString &text);

} // namespace PageAddresses
