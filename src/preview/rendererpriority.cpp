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
    // A thread not yet lowered may make another while the list is read: once more until a
    // pass finds none, a few times at most.
    constexpr int kPasses = 4;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    bool lowered = true;
    for (int pass = 0; pass < kPasses && lowered; ++pass) {
        lowered = false;
        for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            bool number = false;
            const id_t thread = task.toUInt(&number);
            if (number && ::getpriority(PRIO_PROCESS, thread) < kNiceness)
                lowered = ::setpriority(PRIO_PROCESS, thread, kNiceness) == 0 || lowered;
        }
    }
}

} // namespace RendererPriority
