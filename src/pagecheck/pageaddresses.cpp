#include "pagecheck/pageaddresses.h"

namespace {

using PageAddresses::Address;

// A <base> or canonical address names the page online, not a file of the site.
bool namesThePageItself(const TagScan::Tag &tag)
{
    if (tag.name == QLatin1String("base"))
        return true;
    const TagScan::Attribute *rel = tag.attribute(QStringLiteral("rel"));
    return tag.name == QLatin1String("link") && rel
        && rel->value.trimmed().compare(QLatin1String("canonical"), Qt::CaseInsensitive) == 0;
}

// Each candidate of a srcset ("a.png 1x, b.png 2x"): its address and where it starts.
void addCandidates(const TagScan::Attribute &srcset, QList<Address> &found)
{
    const QString &value = srcset.value;
    qsizetype i = 0;
    while (i < value.size()) {
        while (i < value.size() && (value.at(i).isSpace() || value.at(i) == QLatin1Char(',')))
            ++i;
        const qsizetype start = i;
        while (i < value.size() && !value.at(i).isSpace())
            ++i;
        QString address = value.mid(start, i - start);
        // "a.png," with no descriptor: the comma ends the candidate.
        while (address.endsWith(QLatin1Char(',')))
            address.chop(1);
        if (!address.isEmpty())
            found.append({address, srcset.valueOffset + start});
        while (i < value.size() && value.at(i) != QLatin1Char(','))
            ++i;
    }
}

void addCss(const TagScan::CssText &css, QList<Address> &found)
{
    for (const TagScan::Url &url : TagScan::urls(css))
        found.append({url.address, url.offset});
}

} // namespace

namespace PageAddresses {

QList<Address> ofPage(const TagScan::Result &scan)
{
    QList<Address> found;
    for (const TagScan::Tag &tag : scan.tags) {
        const bool self = namesThePageItself(tag);
        for (const TagScan::Attribute &attribute : tag.attributes) {
            const QString &name = attribute.name;
            if (name == QLatin1String("srcset"))
                addCandidates(attribute, found);
            else if ((name == QLatin1String("href") && !self) || name == QLatin1String("src")
                     || name == QLatin1String("poster") || name == QLatin1String("action"))
                found.append({attribute.value, attribute.valueOffset});
        }
    }
    for (const TagScan::CssText &css : scan.css)
        addCss(css, found);
    return found;
}

QList<Address> ofStyleSheet(const QString &text)
{
    QList<Address> found;
    addCss({text, 0}, found);
    return found;
}

} // namespace PageAddresses
