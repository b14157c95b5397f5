#include "preview/rendererpriority.h"

#include <QDir>

#include <sys/resource.h>

namespace RendererPriority {

namespace {

// As the site-wide work's threads: well below the window, above nothing the user started.
constexpr int kNiceness = 10;

} // namespace

void lower(qint64 pid)
{
    if (pid <= 0)
        return;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const id_t thread = task.toUInt(&number);
        if (number && ::getpriority(PRIO_PROCESS, thread) < kNiceness)
            ::setpriority(PRIO_PROCESS, thread, kNiceness);
    }
}

} // namespace RendererPriority
