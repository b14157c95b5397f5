#include "common/sitework.h"

#include <QThread>
#include <QThreadPool>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace SiteWork {

namespace {

// Low enough that the window's thread comes first, not so low that a busy machine starves the
// work (an idle-only policy would).
constexpr int kNiceness = 10;

} // namespace

QThreadPool &pool()
{
    static QThreadPool *const threads = [] {
        auto *pool = new QThreadPool;
        pool->setMaxThreadCount(qMax(2, QThread::idealThreadCount()));
        return pool;
    }();
    return *threads;
}

void yieldToWindow()
{
    thread_local bool lowered = false;
    if (lowered)
        return;
    lowered = true;
    // On Linux a niceness belongs to the thread it is set for.
    ::setpriority(PRIO_PROCESS, id_t(::syscall(SYS_gettid)), kNiceness);
}

} // namespace SiteWork
