#pragma once

#include "workspace/site.h"
#include "workspace/siteexclusions.h"

#include <QString>

// One site as the user keeps it: its folder on this computer (公開元) and the patterns of what is
// no part of it. The transfer window keeps one with each registered site, beside how the server is
// reached; the site panel, publishing and every command that works on the whole site take the
// site from it, so what belongs to a site is decided in one place.
struct SiteProfile
{
    QString localRoot; // empty: none chosen
    QString exclusions = SiteExclusions::defaultPatterns();

    bool isNull() const { return localRoot.isEmpty(); }
    // The site: the root, its exclusion list and the program's own files left out.
    Site site() const;

    bool operator==(const SiteProfile &) const = default;
};
