#pragma once

#include "app/sitereplaceapply.h"
#include "workspace/replaceundostore.h"
#include "workspace/site.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The rename or move of a file or folder of the site with the rewriting of the links to it,
// and taking both back. The entry moves first: a page that cannot be rewritten then keeps a
// broken link, which the summary names, but no file is ever lost or left half-written. The
// pages on disk are rewritten as サイト内置換 rewrites them, with its copies for 元に戻す.
// Runs without windows.
namespace SiteMoveApply {

struct Move
{
    QString from; // local paths
    QString to;
};

struct Outcome
{
    QString moveFailure; // not empty: nothing moved and nothing rewritten
    SiteReplaceApply::Outcome files;
};

// pages: in their places after the move.
Outcome moveAndRewrite(const Site &site,
                       const Move &move,
                       const QList<SiteReplaceApply::FilePage> &pages,
                       ReplaceUndoStore &store,
                       const SiteReplaceApply::Writer &write,
                       const QDateTime &now);

// Why the entry cannot go back to its old place now (gone from its new one, the old name taken
// again), or empty.
QString undoRefusal(const Move &move);

struct UndoOutcome
{
    QString moveFailure; // not empty: the entry stays where it was moved to
    ReplaceUndoStore::Outcome files;
};

// The pages' old bytes back, then the entry to its old place. Refused (nothing done) when
// undoRefusal says so.
UndoOutcome undo(const Move &move, ReplaceUndoStore &store, const SiteReplaceApply::Writer &write);

// The summary box's texts. shownFrom and shownTo: the entry's paths inside the site.
QString summary(const QString &shownFrom,
                const QString &shownTo,
                const Outcome &files,
                const SiteReplaceApply::TabOutcome &tabs,
                const QStringList &notUpdated);
QString undoSummary(const QString &shownFrom,
                    const UndoOutcome &files,
                    const QStringList &tabsUndone,
                    const QStringList &tabsChanged);

} // namespace SiteMoveApply
