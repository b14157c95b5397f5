#include "workspace/sitechoice.h"

#include "workspace/site.h"

#include <QFileInfo>

namespace {

bool isFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

SiteChoice SiteChoice::choose(const QString &publishSource, const QString &openedFolder, const QString &pagePath)
{
    const bool hasSource = isFolder(publishSource);
    if (hasSource && !pagePath.isEmpty() && Site(publishSource).contains(pagePath))
        return {Site(publishSource).root(), Origin::PublishSource};
    if (isFolder(openedFolder))
        return {Site(openedFolder).root(), Origin::OpenedFolder};
    if (!pagePath.isEmpty()) {
        const QString folder = QFileInfo(pagePath).absolutePath();
        if (isFolder(folder))
            return {Site(folder).root(), Origin::PageFolder};
    }
    if (hasSource)
        return {Site(publishSource).root(), Origin::PublishSource};
    return {};
}
