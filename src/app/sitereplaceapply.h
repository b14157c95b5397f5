#pragma once

#include "app/replacerules.h"
#include "app/sitereplaceplan.h"
#include "common/batchwrite.h"
#include "workspace/replaceundostore.h"
#include "workspace/site.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// サイト内置換's writing of the pages on disk, and the summary the user reads afterwards. Each
// file is checked again just before it is written (it may have changed since the preview), its
// old bytes are kept for 元に戻す（サイト内置換） before any file is touched, and all files are
// written together, each either old or new. Runs on a worker: it touches no window.
namespace SiteReplaceApply {

using Writer = std::function<BatchWrite::Outcome(const QList<BatchWrite::File> &files)>;

struct FilePage
{
    QString localPath;
    QString shownPath;
    QByteArray bytes; // as the preview read them
    QList<ReplaceRules::Edit> edits;
    // When every change of the preview is made: the bytes it already made of them, good while
    // the file still holds bytes.
    QByteArray rewritten;
};

struct Outcome
{
    int pages = 0;
    int matches = 0;
    QStringList skipped; // "page: why", not touched
    QStringList failed;  // "path: why", left as they were
    // Not empty when the copies for 元に戻す could not be kept: then no file was touched.
    QString copiesFailure;
    bool copiesKept = false;
};

// The pages on disk to rewrite with their ticked changes: those neither open in a tab nor refused.
QList<FilePage> filePages(const QList<SiteReplacePlan::Page> &pages, const QList<QList<bool>> &ticked);

Outcome rewriteFiles(
    const Site &site, const QList<FilePage> &pages, ReplaceUndoStore &store, const Writer &write, const QDateTime &now);

// What the pages open in tabs came to.
struct TabOutcome
{
    int pages = 0;
    int matches = 0;
    QStringList skipped; // "page: why"
};

// The summary box's text: how many matches in how many pages, the pages edited in their tabs
// (unsaved), those skipped and why, the files left as they were, and how to take it back.
QString summary(const Outcome &files, const TabOutcome &tabs);

// What 元に戻す（サイト内置換） came to: the files and tabs put back, those changed since and
// left alone, the files that could not be written back.
QString
undoSummary(const ReplaceUndoStore::Outcome &files, const QStringList &tabsUndone, const QStringList &tabsChanged);

} // namespace SiteReplaceApply
