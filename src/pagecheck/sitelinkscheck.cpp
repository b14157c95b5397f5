#include "pagecheck/sitelinkscheck.h"

#include "pagecheck/checksentences.h"
#include "pagecheck/siteindex.h"

#include <QSet>

namespace {

// The site's own faults that the page check cannot see and so does not mark beside the page:
// what it finds itself (missing targets, letter case, local paths) it already says there.
bool onlyTheSiteSays(const CheckRow &row)
{
    return row.level == CheckRow::Level::Error
        && (row.key == QLatin1String(CheckSentences::kAnchorMissing)
            || row.key == QLatin1String(CheckSentences::kOutsideSite));
}

QStringList targetsOf(const QString &path, const FileFacts &facts, const SiteIndex &index)
{
    QStringList targets;
    QSet<QString> seen;
    for (const FileFacts::Reference &reference : facts.references) {
        const SiteIndex::Target target = index.resolve(path, reference.address);
        const bool local = target.outcome == SiteIndex::Outcome::Found || target.outcome == SiteIndex::Outcome::Missing;
        if (local && target.path != path && !seen.contains(target.path)) {
            seen.insert(target.path);
            targets.append(target.path);
        }
    }
    return targets;
}

} // namespace

namespace SiteLinksCheck {

std::optional<SiteLinks> run(const Site &site, SiteCheckMemory &memory, const std::function<bool()> &cancelled)
{
    return memory.use(site.root(), [&](SiteCheck::Memory &remembered) -> std::optional<SiteLinks> {
        SiteCheck::Hooks hooks;
        hooks.cancelled = cancelled;
        const SiteCheck::Outcome outcome = SiteCheck::run({site, {}}, remembered, hooks);
        if (outcome.cancelled)
            return std::nullopt;
        // The run listed the site and read every page; the listing again costs little beside it.
        SiteIndex index;
        const QList<Site::Entry> entries = site.entries();
        for (const Site::Entry &entry : entries)
            index.add(Site::displayName(entry.path), entry.kind == SiteFileKind::Folder);
        SiteLinks links;
        for (const Site::Entry &entry : entries) {
            const auto known = remembered.constFind(entry.path);
            if (known == remembered.cend())
                continue;
            const QString path = Site::displayName(entry.path);
            links.files.insert(path, {targetsOf(path, known->facts, index), {}});
        }
        for (const SiteJudgement::FileRows &file : outcome.files) {
            const auto it = links.files.find(file.path);
            if (it == links.files.end())
                continue;
            for (const CheckRow &row : file.rows) {
                if (onlyTheSiteSays(row))
                    it->errors.append(row.sentence);
            }
        }
        return links;
    });
}

} // namespace SiteLinksCheck
