#include "pagecheck/pagereferences.h"

#include "pagecheck/checksentences.h"
#include "pagecheck/pageaddresses.h"
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
    void add(const QList<PageAddresses::Address> &addresses)
    {
        for (const PageAddresses::Address &address : addresses)
            add(address.text, address.offset);
    }

    FileFacts facts;

private:
    SourceLines m_lines;
};

void readAnchors(const TagScan::Tag &tag, FactsBuilder &builder)
{
    for (const TagScan::Attribute &attribute : tag.attributes) {
        const QString &name = attribute.name;
        if (name == QLatin1String("id") || (name == QLatin1String("name") && tag.name == QLatin1String("a")))
            builder.facts.anchors.insert(attribute.value.trimmed());
    }
}

} // namespace

namespace PageReferences {

FileFacts ofPage(const QString &text, TextFormat::Encoding savedAs)
{
    const TagScan::Result scan = TagScan::scan(text);
    FactsBuilder builder(text);
    for (const TagScan::Tag &tag : scan.tags)
        readAnchors(tag, builder);
    builder.add(PageAddresses::ofPage(scan));
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
    builder.add(PageAddresses::ofStyleSheet(text));
    builder.facts.asciiOnly = isAscii(text);
    return std::move(builder.facts);
}

} // namespace PageReferences
