#include "pagecheck/externallinks.h"

#include "pagecheck/checksentences.h"
#include "workspace/site.h"

#include <QDeadlineTimer>
#include <QHostInfo>
#include <QMutex>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <atomic>
#include <numeric>

namespace ExternalLinks {

namespace {

// The address as asked: entities undone, the fragment left out; nothing when not on the web.
std::optional<QString> webAddress(const QString &written)
{
    const QString address = QString(written).replace(QLatin1String("&amp;"), QLatin1String("&")).trimmed();
    if (!address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        && !address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return std::nullopt;
    const QUrl url(address);
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    return url.adjusted(QUrl::RemoveFragment).toString(QUrl::FullyEncoded);
}

const char *keyOf(LinkProbe::Verdict verdict)
{
    switch (verdict) {
    case LinkProbe::Verdict::Missing:
        return CheckSentences::kExternalMissing;
    case LinkProbe::Verdict::TimedOut:
        return CheckSentences::kExternalTimeout;
    case LinkProbe::Verdict::Refused:
        return CheckSentences::kExternalRefused;
    case LinkProbe::Verdict::Failed:
    case LinkProbe::Verdict::Fine:
    case LinkProbe::Verdict::Stopped:
        break;
    }
    return CheckSentences::kExternalFailed;
}

CheckRow rowFor(const Address &address, const Use &use, const LinkProbe::Result &result)
{
    return CheckSentences::ownRow(keyOf(result.verdict), {address.url, result.reason}, use.line, use.column);
}

} // namespace

QList<Address> of(const SiteCheck::Memory &memory)
{
    QList<QByteArray> files = memory.keys();
    std::sort(files.begin(), files.end());
    QList<Address> addresses;
    QHash<QString, qsizetype> byUrl;
    for (const QByteArray &file : files) {
        for (const FileFacts::Reference &reference : memory.value(file).facts.references) {
            const std::optional<QString> url = webAddress(reference.address);
            if (!url)
                continue;
            auto it = byUrl.constFind(*url);
            if (it == byUrl.cend()) {
                it = byUrl.insert(*url, addresses.size());
                addresses.append({*url, {}});
            }
            addresses[*it].uses.append({file, reference.place.line, reference.place.column});
        }
    }
    return addresses;
}

Outcome check(const QList<Address> &addresses, const AddressGuard &guard, const Limits &limits, const Hooks &hooks)
{
    Outcome outcome;
    const QList<Address> asked = addresses.mid(0, limits.addresses);
    outcome.leftOut = int(addresses.size() - asked.size());
    QList<std::optional<LinkProbe::Result>> results(asked.size());
    QList<qsizetype> indexes(asked.size());
    std::iota(indexes.begin(), indexes.end(), 0);

    QThreadPool pool;
    pool.setMaxThreadCount(std::max(1, limits.parallel));
    const QDeadlineTimer total(limits.totalMs);
    std::atomic_int done = 0;
    std::atomic_int lateCount = 0;
    QMutex progressLock;
    const auto stopped = [&] { return hooks.stopped && hooks.stopped(); };
    QtConcurrent::blockingMap(&pool, indexes, [&](qsizetype i) {
        if (stopped())
            return;
        if (total.hasExpired()) {
            ++lateCount;
            return;
        }
        LinkProbe::Limits probe = limits.probe;
        probe.hopMs = int(std::min<qint64>(probe.hopMs, std::max<qint64>(1, total.remainingTime())));
        results[i] = LinkProbe::probe(QUrl(asked.at(i).url), guard, probe, stopped);
        const int count = ++done;
        if (hooks.progress) {
            const QMutexLocker locker(&progressLock);
            hooks.progress(count, int(asked.size()));
        }
    });
    if (stopped()) {
        outcome.stopped = true;
        return outcome;
    }
    outcome.leftOut += lateCount;
    outcome.asked = done;
    for (qsizetype i = 0; i < asked.size(); ++i) {
        const std::optional<LinkProbe::Result> &result = results.at(i);
        if (!result || result->verdict == LinkProbe::Verdict::Fine || result->verdict == LinkProbe::Verdict::Stopped)
            continue;
        for (const Use &use : asked.at(i).uses)
            outcome.rows[use.file].append(rowFor(asked.at(i), use, *result));
    }
    return outcome;
}

void addTo(QList<SiteJudgement::FileRows> &files, const Outcome &outcome)
{
    QList<QByteArray> added = outcome.rows.keys();
    std::sort(added.begin(), added.end());
    for (const QByteArray &path : added) {
        auto file = std::find_if(
            files.begin(), files.end(), [&](const SiteJudgement::FileRows &rows) { return rows.bytes == path; });
        if (file == files.end())
            file = files.insert(files.end(), {Site::displayName(path), path, {}});
        file->rows += outcome.rows.value(path);
        std::stable_sort(file->rows.begin(), file->rows.end(), [](const CheckRow &a, const CheckRow &b) {
            return std::pair(a.line, a.column) < std::pair(b.line, b.column);
        });
    }
}

AddressGuard guardFor(const QString &siteHost)
{
    if (siteHost.trimmed().isEmpty())
        return AddressGuard();
    QHostAddress literal;
    if (literal.setAddress(siteHost.trimmed()))
        return AddressGuard({literal});
    return AddressGuard(QHostInfo::fromName(siteHost.trimmed()).addresses());
}

QString summary(const Outcome &outcome)
{
    QString text = QStringLiteral("外部リンク %1 個を確かめました").arg(outcome.asked);
    if (outcome.leftOut > 0)
        text += QStringLiteral("（%1 個は数か時間の上限を超えたため確かめていません）").arg(outcome.leftOut);
    return text;
}

} // namespace ExternalLinks
