#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// The lock a running program holds on a file of its own in the data folder (its recovery copy,
// its record of preview files) so that another instance can tell a live run from one that was
// killed: the system forgets the holder with its process.
namespace RunLock {

// Held while its process lives, however long ago it was taken (the program runs for days);
// nothing when a live process holds it.
std::unique_ptr<QLockFile> tryTake(const QString &path);

} // namespace RunLock
