#pragma once

#include "pagecheck/sitecheckmemory.h"
#include "workspace/site.h"
#include "workspace/sitelinks.h"

#include <functional>
#include <optional>

// The site check over a site's files as saved — what a publish sends, not the tabs' unsaved
// text — told as what each page leads to. Shares the site check's memory, so a site checked
// moments before is not read again. Safe on a worker thread.
namespace SiteLinksCheck {

// Nothing when cancelled stopped it. Throws UserError when the site's folder cannot be listed.
std::optional<SiteLinks> run(const Site &site, SiteCheckMemory &memory, const std::function<bool()> &cancelled = {});

} // namespace SiteLinksCheck
