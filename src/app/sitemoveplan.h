#pragma once

#include "app/sitereplaceplan.h"
#include "pagecheck/linkretarget.h"
#include "workspace/pagesource.h"
#include "workspace/site.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <atomic>

// Which links a rename or move of a file or folder of the site changes, page by page, before
// anything is moved: in every page and style sheet, the addresses that lead into what moves,
// and in what moves, the relative addresses that lead out of it. The pages are planned as
// サイト内置換 plans them (each in its own encoding, checked as it will be written), so its
// preview, its writing and its 元に戻す serve the move too. A page that moves is planned where
// it is and rewritten where it goes. Works without windows, on a worker.
namespace SiteMovePlan {

// The link edits of one file's CR LF text, in order. file: its path inside the site before the
// move. A file that is no page nor style sheet has none.
QList<SiteReplacePlan::Change>
changesIn(const QString &crlfText, SiteFileKind kind, const QString &file, const LinkRetarget::Move &move);

// Every page whose links change: the pages open in tabs from their text there, the others from
// their files. localPath is where the page is written once the move is made.
QList<SiteReplacePlan::Page> plan(const Site &site,
                                  const LinkRetarget::Move &move,
                                  const QHash<QByteArray, PageSource::Page> &open,
                                  const std::atomic_bool &cancelled);

// The move of a local path as paths inside the site; nullopt when either is outside it.
std::optional<LinkRetarget::Move> moveIn(const Site &site, const QString &fromLocal, const QString &toLocal);

} // namespace SiteMovePlan
