#include "common/runlock.h"

namespace RunLock {

std::unique_ptr<QLockFile> tryTake(const QString &path)
{
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

} // namespace RunLock
