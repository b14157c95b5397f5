#include "app/sitemoveplan.h"

#include "pagecheck/pageaddresses.h"
#include "pagecheck/tagscan.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace SiteMovePlan {

namespace {

bool holdsLinks(SiteFileKind kind)
{
    return kind == SiteFileKind::Page || kind == SiteFileKind::StyleSheet;
}

} // namespace

QList<SiteReplacePlan::Change>
changesIn(const QString &crlfText, SiteFileKind kind, const QString &file, const LinkRetarget::Move &move)
{
    if (!holdsLinks(kind))
        return {};
    QList<PageAddresses::Address> addresses = kind == SiteFileKind::Page
        ? PageAddresses::ofPage(TagScan::scan(crlfText))
        : PageAddresses::ofStyleSheet(crlfText);
    // The tags come before the CSS in the list; the edits must come in the text's order.
    std::sort(addresses.begin(), addresses.end(), [](const auto &a, const auto &b) { return a.offset < b.offset; });
    QList<ReplaceRules::Edit> edits;
    qsizetype editedTo = 0;
    for (const PageAddresses::Address &address : std::as_const(addresses)) {
        // The spaces around an address are no part of it, and stay.
        const QString &written = address.text;
        qsizetype start = 0;
        qsizetype end = written.size();
        while (start < end && written.at(start).isSpace())
            ++start;
        while (end > start && written.at(end - 1).isSpace())
            --end;
        const qsizetype at = address.offset + start;
        if (at < editedTo)
            continue;
        const std::optional<QString> text = LinkRetarget::rewritten(written.mid(start, end - start), file, move);
        if (!text)
            continue;
        edits.append({{int(at), int(end - start)}, *text});
        editedTo = address.offset + end;
    }
    return SiteReplacePlan::changesFor(crlfText, std::move(edits));
}

QList<SiteReplacePlan::Page> plan(const Site &site,
                                  const LinkRetarget::Move &move,
                                  const QHash<QByteArray, PageSource::Page> &open,
                                  const std::atomic_bool &cancelled)
{
    QList<SiteReplacePlan::Page> pages;
    for (const Site::Entry &entry : site.textFiles()) {
        if (cancelled.load())
            return {};
        if (!holdsLinks(entry.kind))
            continue;
        const QString file = Site::displayName(entry.path);
        const QString fileAfter = LinkRetarget::movedPath(file, move);
        SiteReplacePlan::Page page;
        if (const auto tab = open.constFind(entry.path); tab != open.cend()) {
            page.localPath = site.localPath(entry.path);
            page.shownPath = file;
            page.open = true;
            page.text = tab->text;
            page.changes = changesIn(page.text, entry.kind, file, move);
        } else {
            const auto find = [&](const QString &crlfText) { return changesIn(crlfText, entry.kind, file, move); };
            if (!SiteReplacePlan::planFile(site, entry.path, find, &page))
                continue;
            page.text.clear();
        }
        if (page.changes.isEmpty())
            continue;
        if (fileAfter != file) {
            page.localPath = QDir(site.root()).filePath(fileAfter);
            page.shownPath = QStringLiteral("%1 → %2").arg(file, fileAfter);
        }
        pages.append(std::move(page));
    }
    return pages;
}

std::optional<LinkRetarget::Move> moveIn(const Site &site, const QString &fromLocal, const QString &toLocal)
{
    const std::optional<QByteArray> from = site.pathOf(fromLocal);
    // The new place does not exist yet: its folder does.
    const QFileInfo to(toLocal);
    const std::optional<QByteArray> toFolder = site.pathOf(to.absolutePath());
    if (!from || from->isEmpty() || !toFolder)
        return std::nullopt;
    const QString folder = Site::displayName(*toFolder);
    return LinkRetarget::Move{Site::displayName(*from),
                              folder.isEmpty() ? to.fileName() : folder + QLatin1Char('/') + to.fileName()};
}

} // namespace SiteMovePlan
