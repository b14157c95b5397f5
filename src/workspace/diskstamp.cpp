#include "workspace/diskstamp.h"

#include <QFileInfo>

DiskStamp DiskStamp::of(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return DiskStamp{};
    return DiskStamp{info.lastModified(), info.size()};
}
