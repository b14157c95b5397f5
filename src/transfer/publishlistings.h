#pragma once

#include "transfer/remoteitem.h"
#include "workspace/siteexclusions.h"

#include <QByteArray>
#include <QHash>

#include <deque>
#include <functional>
#include <optional>
#include <string>

class FtpJobContext;

// The listings of a site's remote folders for a plan, read ahead of its walk: the root on the
// session's connection (which settles how the server lists), then the folders below it: where
// the server lists in replies, a level at a time on that connection, each level's listings asked
// for together; else each as soon as its parent was read, over as many connections as
// PublishCrew makes for them. The
// walk then takes each folder's listing from here and lists the folder itself only where none
// was read (refused here: it asks again, and says why).
class PublishListings
{
public:
    // A path below the remote root as the server takes it.
    using RootPath = std::function<std::string(const QByteArray &relative)>;

    // Descends where PublishPlan::readRemote would: into folders that are no links, have plain
    // names and are not left out by the exclusions. expectedFolders: how many the last publish
    // found (0: unknown), for the other connections to log in while the root is read. Throws as
    // the root's listing does.
    static PublishListings read(FtpJobContext &context,
                                const RootPath &root,
                                const SiteExclusions &exclusions,
                                int maxFolders,
                                qsizetype expectedFolders);

    // The listing of a folder ("" for the root, else its path ending in "/"), when it was read;
    // handed out once.
    std::optional<RemoteItems> take(const QByteArray &folder);

    // The connections the reading used, the session's included.
    int connectionsUsed() const { return m_connectionsUsed; }

private:
    // A level of folders at a time, all on the session's connection.
    void readByLevels(FtpJobContext &context,
                      const RootPath &root,
                      const SiteExclusions &exclusions,
                      int maxFolders,
                      std::deque<QByteArray> level);

    QHash<QByteArray, RemoteItems> m_listed;
    int m_connectionsUsed = 1;
};
