#pragma once

#include "app/keptpage.h"

#include <QList>
#include <QString>

#include <map>
#include <memory>

class QLockFile;

// The recovery folder in the data folder: this run's kept page, and the pages of runs that
// ended without discarding theirs (a crash, a power cut, a killed process). Each run keeps its
// page under a name of its own and holds a lock file beside it while it lives, so programs
// running at the same time never take each other's pages: a page is another run's leftover
// only when no living process holds its lock. It owns this run's lock and those of the
// leftovers it has taken. This run's page may be kept from another thread than the one the rest
// runs on, but never at the same time as anything else of this run's page.
class RecoveryStore
{
public:
    static inline const QString kFolderName = QStringLiteral("recovery");

    struct Leftover
    {
        QString id;
        KeptPage page;
    };

    explicit RecoveryStore(QString folder);
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore &) = delete;
    RecoveryStore &operator=(const RecoveryStore &) = delete;

    // Writes this run's page atomically, readable by the user alone; throws UserError.
    void keep(const KeptPage &page);
    // Deletes this run's page, if any.
    void discard();

    // The leftover pages, newest first, each now locked by this run until it is discarded or
    // released. A file that is not a kept page is left alone.
    QList<Leftover> takeLeftovers();
    void discardLeftover(const QString &id);
    // Lets go of the leftovers still held, for a later start to offer.
    void releaseLeftovers();

private:
    QString pagePath(const QString &id) const;
    QString lockPath(const QString &id) const;
    void ensureFolder() const;

    QString m_folder;
    QString m_id;
    std::unique_ptr<QLockFile> m_lock;
    std::map<QString, std::unique_ptr<QLockFile>> m_leftoverLocks;
};
