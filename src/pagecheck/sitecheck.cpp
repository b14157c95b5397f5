#include "pagecheck/sitecheck.h"

#include "common/sitework.h"
#include "pagecheck/pagereferences.h"

#include <QMutex>
#include <QSet>
#include <QtConcurrent/QtConcurrentMap>

#include <atomic>

namespace {

bool isRead(SiteFileKind kind)
{
    return kind == SiteFileKind::Page || kind == SiteFileKind::StyleSheet;
}

FileFacts factsOf(SiteFileKind kind, const PageSource::Page &page)
{
    return kind == SiteFileKind::Page ? PageReferences::ofPage(page.text, page.format.encoding)
                                      : PageReferences::ofStyleSheet(page.text);
}

// One file's facts: remembered when its text is the one read last time, else read now.
// Returns nullopt for a file that is not text or cannot be read.
std::optional<SiteCheck::Remembered> factsFor(const Site &site,
                                              const Site::Entry &entry,
                                              const QHash<QByteArray, PageSource::Page> &open,
                                              const SiteCheck::Memory &memory,
                                              bool &readAnew)
{
    const auto known = memory.constFind(entry.path);
    SiteCheck::Remembered fresh;
    const auto tab = open.constFind(entry.path);
    if (tab != open.cend()) {
        fresh.open = true;
        fresh.textHash = qHashMulti(0, tab->text, int(tab->format.encoding));
        if (known != memory.cend() && known->open && known->textHash == fresh.textHash)
            return *known;
        fresh.savedAs = tab->format.encoding;
        fresh.facts = factsOf(entry.kind, *tab);
        readAnew = true;
        return fresh;
    }
    const QString path = site.localPath(entry.path);
    fresh.stamp = DiskStamp::of(path);
    if (known != memory.cend() && !known->open && known->stamp == fresh.stamp)
        return *known;
    try {
        const PageSource::Page page = PageSource::filePage(path);
        fresh.savedAs = page.format.encoding;
        fresh.facts = factsOf(entry.kind, page);
    } catch (const std::exception &) {
        // Too large, no text, or gone since the listing: a file like any other, unread.
        return std::nullopt;
    }
    readAnew = true;
    return fresh;
}

} // namespace

namespace SiteCheck {

Outcome run(const Input &input, Memory &memory, const Hooks &hooks)
{
    const QList<Site::Entry> entries = input.site.entries();
    SiteIndex index;
    for (const Site::Entry &entry : entries)
        index.add(Site::displayName(entry.path), entry.kind == SiteFileKind::Folder);

    QList<qsizetype> toRead;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (isRead(entries.at(i).kind))
            toRead.append(i);
    }
    QList<std::optional<Remembered>> facts(entries.size());
    QList<char> readAnew(entries.size(), 0);
    std::atomic_int done = 0;
    QMutex progressLock;
    const auto total = int(toRead.size());
    QtConcurrent::blockingMap(&SiteWork::pool(), toRead, [&](qsizetype i) {
        SiteWork::yieldToWindow();
        if (hooks.cancelled && hooks.cancelled())
            return;
        bool anew = false;
        facts[i] = factsFor(input.site, entries.at(i), input.open, memory, anew);
        readAnew[i] = anew;
        const int count = ++done;
        if (hooks.progress) {
            const QMutexLocker locker(&progressLock);
            hooks.progress(count, total);
        }
    });

    Outcome outcome;
    QList<SiteJudgement::File> files;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const Site::Entry &entry = entries.at(i);
        if (entry.kind == SiteFileKind::Folder)
            continue;
        SiteJudgement::File file{Site::displayName(entry.path), entry.kind, std::nullopt, {}, entry.path};
        if (facts.at(i)) {
            file.facts = facts.at(i)->facts;
            file.savedAs = facts.at(i)->savedAs;
            memory.insert(entry.path, std::move(*facts[i]));
        }
        outcome.pages += entry.kind == SiteFileKind::Page ? 1 : 0;
        outcome.read += readAnew.at(i);
        files.append(std::move(file));
    }
    if (hooks.cancelled && hooks.cancelled()) {
        outcome.cancelled = true;
        return outcome;
    }
    // What the last run knew of files gone since is of no more use.
    QSet<QByteArray> listed;
    for (const Site::Entry &entry : entries)
        listed.insert(entry.path);
    for (auto it = memory.begin(); it != memory.end();)
        it = listed.contains(it.key()) ? std::next(it) : memory.erase(it);
    outcome.files = SiteJudgement::judge(files, index);
    return outcome;
}

} // namespace SiteCheck
