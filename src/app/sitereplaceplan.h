#pragma once

#include "app/replacerules.h"
#include "app/searchprefilter.h"
#include "workspace/site.h"
#include "workspace/spanrewrite.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// What サイト内置換 would change, page by page, before the user ticks what it may: each
// replacement with its line before and after, and for a page that is not to be touched, why.
// Works without windows; a page on disk is read and checked on the worker that plans it.
namespace SiteReplacePlan {

// A line longer than this is shown around its match only.
constexpr int kExcerptLimit = 160;

struct Change
{
    ReplaceRules::Edit edit; // in the page's CR LF text
    int line = 0;            // from 1
    QString before;
    QString after;
};

struct Page
{
    QString localPath;
    QString shownPath;
    bool open = false;    // edited in its tab, not on disk
    QString text;         // the CR LF text the changes were found in
    QByteArray bytes;     // a page on disk: the bytes that text was read from
    QByteArray rewritten; // its bytes with every change made, as the plan checked them
    QList<Change> changes;
    QString refusal; // not empty: the page is listed, never changed
};

// Every non-empty match of the text with its replacement and lines.
QList<Change> changesIn(const ReplaceRules::Pattern &pattern, const QString &crlfText, const QString &with);
// The non-empty edits of the text, in order, with their lines.
QList<Change> changesFor(const QString &crlfText, QList<ReplaceRules::Edit> edits);

// Why the file may not be rewritten whatever it holds (a link, a read-only file, a file outside
// the site), or an empty text.
QString fileRefusal(const Site &site, const QString &localPath);

// A page on disk: read, its changes found, and checked as the replace will write it. Returns
// false for a file that is no page to search (no text, too large, gone). prefilter: when given,
// a file whose bytes cannot match is passed over undecoded.
bool planFile(const Site &site,
              const QByteArray &path,
              const ReplaceRules::Pattern &pattern,
              const QString &with,
              Page *page,
              const SearchPrefilter *prefilter = nullptr);
// The same for changes found in the page's CR LF text by find.
bool planFile(const Site &site,
              const QByteArray &path,
              const std::function<QList<Change>(const QString &crlfText)> &find,
              Page *page,
              const SearchPrefilter *prefilter = nullptr);

// The edits as the file rewrite takes them.
QList<SpanRewrite::Edit> spanEdits(const QList<ReplaceRules::Edit> &edits);

// The edits of the ticked changes, in order.
QList<ReplaceRules::Edit> chosenEdits(const Page &page, const QList<bool> &ticked);

} // namespace SiteReplacePlan
