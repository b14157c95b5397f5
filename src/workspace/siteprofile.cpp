#include "workspace/siteprofile.h"

Site SiteProfile::site() const
{
    if (isNull())
        return {};
    return Site(localRoot, [rules = SiteExclusions(exclusions)](const QByteArray &path, bool folder) {
        return rules.reasonFor(path, folder).has_value();
    });
}
