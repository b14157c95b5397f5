#pragma once

// Debian's linkchecker as the site check line's peer: run over file:// as a user runs it from a
// shell, its CSV report read back into what it found.

#include <QList>
#include <QString>

namespace LinkCheckerRun {

struct Finding
{
    QString page;    // the local path of the page the address is written in
    QString address; // as written there
    bool error = false;
    QString warning; // empty when none
};

struct Result
{
    QList<Finding> findings;
    double ms = 0; // from before its fork until it was reaped
};

// Writes the configuration every run is given: anchors checked too (its AnchorCheck plugin), so
// that it is asked everything ours is; nothing else of the user's own.
void writeConfig(const QString &path);

// Checks the site from its top page, external addresses left out (linkchecker's default), no
// progress lines. Ends the bench when linkchecker cannot run.
Result run(const QString &config, const QString &topPage);

} // namespace LinkCheckerRun
