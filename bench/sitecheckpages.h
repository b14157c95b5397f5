#pragma once

// The site the site check's line checks: the replace line's thousand pages, made into a site a
// visitor can walk (a top page linking every page, each page linking the top, the next page and
// a place in it, and a picture), with a known set of faults planted in it. Everything but the
// planted faults leads somewhere real, so a fault either tool reports beyond them is its own.

#include <QList>
#include <QString>
#include <QStringList>

namespace SiteCheckPages {

enum class FaultKind {
    BrokenLink,   // to a page that is not there (it was renamed)
    LetterCase,   // to a page that is there under other letter case
    BrokenAnchor, // to a page that is there, at an id it does not have
    MissingImage, // a picture that is not there
};

struct Fault
{
    FaultKind kind = FaultKind::BrokenLink;
    QString page;    // inside the site, "/" between names
    int line = 0;    // of the address in the page, from 1
    QString address; // as written in the page
    // What our row about it names: the address, the name as it really is, or the missing id.
    QString named;
};

// The faults write() plants, the same every time.
QList<Fault> faults();

// The fault the re-check mends in an open tab, and what its address becomes there.
const Fault &mendedFault();
QString mendedAddress();

// Writes the site into root (made if missing; what is there is written over). Returns the pages
// of the site, inside it.
QStringList write(const QString &root);

// Every folder of the site write() writes into root, root first.
QStringList folders(const QString &root);

} // namespace SiteCheckPages
