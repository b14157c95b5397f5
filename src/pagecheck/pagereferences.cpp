#include "pagecheck/pagereferences.h"

#include "pagecheck/checksentences.h"
#include "pagecheck/pagecheck.h"
#include "pagecheck/sourcelines.h"
#include "pagecheck/tagscan.h"

#include <algorithm>

namespace {

// The page check's rows that the site check says in its own way, knowing the whole site: local
// targets (judged against the site's files, letter case and all), the charset against how the
// file is saved, and a missing title (a hint beside the site's duplicate titles).
bool judgedBySite(const QString &key)
{
    static const QList<QLatin1StringView> keys = {QLatin1StringView(CheckSentences::kTargetMissing),
                                                  QLatin1StringView(CheckSentences::kTargetCase),
                                                  QLatin1StringView(CheckSentences::kLocalPath),
                                                  QLatin1StringView(CheckSentences::kCharsetMismatch),
                                                  QLatin1StringView(CheckSentences::kCharsetMismatchAscii),
                                                  QLatin1StringView("MISSING_TITLE_ELEMENT")};
    return std::any_of(keys.cbegin(), keys.cend(), [&](QLatin1StringView k) { return key == k; });
}

bool isAscii(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

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
QList<TagScan::Url> candidates(const TagScan::Attribute &srcset)
{
    QList<TagScan::Url> found;
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
    return found;
}

class FactsBuilder
{
public:
    explicit FactsBuilder(const QString &text) : m_lines(text) {}

    FileFacts::Place placeOf(qsizetype offset) const
    {
        const SourceLines::Place place = m_lines.placeOf(offset);
        return {place.line, place.column};
    }
    void add(const QString &address, qsizetype offset)
    {
        if (!address.trimmed().isEmpty())
            facts.references.append({address, placeOf(offset)});
    }
    void addCss(const TagScan::CssText &css)
    {
        for (const TagScan::Url &url : TagScan::urls(css))
            add(url.address, url.offset);
    }

    FileFacts facts;

private:
    SourceLines m_lines;
};

void readTag(const TagScan::Tag &tag, FactsBuilder &builder)
{
    const bool self = namesThePageItself(tag);
    for (const TagScan::Attribute &attribute : tag.attributes) {
        const QString &name = attribute.name;
        if (name == QLatin1String("id") || (name == QLatin1String("name") && tag.name == QLatin1String("a"))) {
            builder.facts.anchors.insert(attribute.value.trimmed());
        } else if (name == QLatin1String("srcset")) {
            for (const TagScan::Url &candidate : candidates(attribute))
                builder.add(candidate.address, candidate.offset);
        } else if ((name == QLatin1String("href") && !self) || name == QLatin1String("src")
                   || name == QLatin1String("poster") || name == QLatin1String("action")) {
            builder.add(attribute.value, attribute.valueOffset);
        }
    }
}

} // namespace

namespace PageReferences {

FileFacts ofPage(const QString &text, TextFormat::Encoding savedAs)
{
    const TagScan::Result scan = TagScan::scan(text);
    FactsBuilder builder(text);
    for (const TagScan::Tag &tag : scan.tags)
        readTag(tag, builder);
    for (const TagScan::CssText &css : scan.css)
        builder.addCss(css);
    FileFacts facts = std::move(builder.facts);

    const auto title = std::find_if(scan.tags.cbegin(), scan.tags.cend(), [](const TagScan::Tag &tag) {
        return tag.name == QLatin1String("title");
    });
    facts.title = title == scan.tags.cend()
        ? FileFacts::Title{{}, builder.placeOf(0)}
        : FileFacts::Title{TagScan::titleOf(text, *title).simplified(), builder.placeOf(title->offset)};
    const auto declared = PageCheck::declaredCharset(scan);
    facts.charset =
        declared ? FileFacts::Charset{declared->first, builder.placeOf(declared->second)} : FileFacts::Charset{};
    facts.asciiOnly = isAscii(text);

    // Local targets are the site's to judge: the page check is given no folder for them.
    for (CheckRow &row : PageCheck::run({text, {}, savedAs, {}})) {
        if (!judgedBySite(row.key))
            facts.pageRows.append(std::move(row));
    }
    return facts;
}

FileFacts ofStyleSheet(const QString &text)
{
    FactsBuilder builder(text);
    builder.addCss({text, 0});
    builder.facts.asciiOnly = isAscii(text);
    return std::move(builder.facts);
}

} // namespace PageReferences
