#pragma once

#include "transfer/publishplan.h"
#include "workspace/sitelinks.h"
#include "workspace/siteprofile.h"

#include <QHash>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The site check's marks in 更新分を公開's plan: the faults a publish as ticked would put online.
// A page or style sheet going up is marked with the site's own errors in it and with each link
// to a file that the publish does not send and the server does not hold; a file or folder
// offered for deletion with how many pages still link to it. Logic only.
namespace PublishSiteMarks {

struct Mark
{
    QString text;        // "エラー 2 件", "3 ページからリンクされています"
    QStringList details; // each fault in words, for the row's tip
};

// By index in the plan's items; items without a mark are left out. Ticks count as they stand.
QHash<qsizetype, Mark> of(const PublishPlan::Plan &plan, const SiteLinks &links);

// Runs the site check of the site being published, on the session's worker; nothing when
// stopped. The program plugs its site check in here; the transfer window knows nothing of it.
using Check = std::function<std::optional<SiteLinks>(const SiteProfile &site, const std::function<bool()> &stopped)>;

} // namespace PublishSiteMarks

Q_DECLARE_METATYPE(SiteLinks)
