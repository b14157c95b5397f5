#pragma once

// Which of the site check line's planted faults a report names, and how many faults it reports
// beyond them: ours from the サイトチェック panel's list, linkchecker's from its findings.

#include "linkcheckerrun.h"
#include "sitecheckpages.h"

#include <QList>

class QTreeWidget;

namespace SiteCheckTally {

struct Tally
{
    int found = 0; // planted faults reported
    int extra = 0; // errors (and for linkchecker warnings) reported that were not planted
};

// The panel's エラー rows: a fault is found by a row of its page, at its line, naming it.
Tally ofPanel(const QTreeWidget &list, const QList<SiteCheckPages::Fault> &faults);

// A fault is found by an error or a warning about its address in its page.
Tally ofLinkChecker(const QList<LinkCheckerRun::Finding> &findings,
                    const QString &root,
                    const QList<SiteCheckPages::Fault> &faults);

} // namespace SiteCheckTally
