#pragma once

#include "pagecheck/checkrow.h"
#include "pagecheck/linkprobe.h"
#include "pagecheck/sitecheck.h"
#include "pagecheck/sitejudgement.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>

// サイトチェック's optional check of the site's http:// and https:// links: each distinct
// address asked once (LinkProbe), a bounded number of them, a few at a time, within a time for
// the whole check, and every place that uses an address that failed given a row: 404 and 410 as
// エラー, other failures as 注意, no answer in time as ヒント, each saying which. Safe on a worker
// thread; the probes run on a small pool of their own.
namespace ExternalLinks {

struct Use
{
    QByteArray file; // the file's path in the site, as the memory knows it
    int line = 1;
    int column = 1;
};

// Each address with the places that use it, in the order first met.
struct Address
{
    QString url;
    QList<Use> uses;
};

// The addresses of the files the site check read (fragments left out: one page, one question).
QList<Address> of(const SiteCheck::Memory &memory);

struct Limits
{
    int addresses = 200;     // asked at most; the rest are counted as left out
    int parallel = 4;        // probes at once
    int totalMs = 120'000;   // for the whole check; what has not started by then is left out
    LinkProbe::Limits probe; // each request
};

struct Hooks
{
    std::function<bool()> stopped;
    std::function<void(int done, int total)> progress; // one call at a time
};

struct Outcome
{
    QHash<QByteArray, CheckRows> rows; // by the file's path in the site
    int asked = 0;                     // addresses asked
    int leftOut = 0;                   // beyond the limits of number or time
    bool stopped = false;
};

Outcome
check(const QList<Address> &addresses, const AddressGuard &guard, const Limits &limits = {}, const Hooks &hooks = {});

// The outcome's rows among the site check's, each file's in the order of its lines.
void addTo(QList<SiteJudgement::FileRows> &files, const Outcome &outcome);

// The addresses of the site's own server, to allow where they are not public (none: only
// public addresses are asked). Resolves host on the calling thread.
AddressGuard guardFor(const QString &siteHost);

// The line the site check's status ends with once external links were asked ("外部リンク 20
// 個を確かめました" and what was left out).
QString summary(const Outcome &outcome);

} // namespace ExternalLinks
