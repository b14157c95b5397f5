#pragma once

#include <QString>

// One publish of a site at a time, across windows and processes: an exclusive lock (flock) on
// a file beside the site's manifest, held from reading the plan to the publish's end. The
// system drops the lock with its descriptor, so a process that died or was killed holds
// nothing, and no file is left to clean up. Owns the descriptor.
class PublishLock
{
public:
    // Throws UserError (busyText()) when another publish of the site holds the lock, or when
    // the lock file cannot be made.
    explicit PublishLock(const QString &manifestPath);
    ~PublishLock();
    PublishLock(const PublishLock &) = delete;
    PublishLock &operator=(const PublishLock &) = delete;

    static QString busyText();

private:
    int m_descriptor = -1;
};
