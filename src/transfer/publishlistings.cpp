#include "transfer/publishlistings.h"

#include "transfer/ftpjobcontext.h"
#include "transfer/publishcrew.h"
#include "transfer/remoteerrors.h"
#include "transfer/remotefiles.h"
#include "transfer/transferjobs.h"

#include <deque>
#include <mutex>
#include <optional>

namespace {

using End = PublishCrew::End;

// The folders below one that the plan's walk goes into.
std::deque<QByteArray>
foldersBelow(const QByteArray &folder, const RemoteItems &items, const SiteExclusions &exclusions)
{
    std::deque<QByteArray> folders;
    for (const RemoteItem &item : items) {
        if (!item.folder || item.isLink() || item.name == "." || item.name == ".."
            || !TransferJobs::isPlainRemoteName(item.name))
            continue;
        const QByteArray relative = folder + item.name;
        if (!exclusions.reasonFor(relative, true))
            folders.push_back(relative + '/');
    }
    return folders;
}

} // namespace

PublishListings PublishListings::read(FtpJobContext &context,
                                      const RootPath &root,
                                      const SiteExclusions &exclusions,
                                      int maxFolders,
                                      qsizetype expectedFolders)
{
    PublishListings result;
    context.checkStop();
    RemoteFiles &files = context.files();
    std::optional<PublishCrew> crew;
    // Where listings come in replies, the session's connection reads a whole level of folders
    // in about one round trip: other connections would only add their logins.
    if (expectedFolders > 1 && !files.mayListFullySeveralAtOnce())
        crew.emplace(context, PublishCrew::wantedFor(expectedFolders - 1));
    const RemoteItems top = files.listFully(root({}));
    result.m_listed.insert({}, top);
    std::deque<QByteArray> folders = foldersBelow({}, top, exclusions);
    if (folders.empty())
        return result;
    if (!crew && files.listsFullySeveralAtOnce()) {
        result.readByLevels(context, root, exclusions, maxFolders, std::move(folders));
        return result;
    }
    if (!crew)
        crew.emplace(context, PublishCrew::wantedFor(static_cast<qsizetype>(folders.size())));
    std::mutex mutex; // guards folders and the listings
    crew->run(static_cast<int>(folders.size()), [&](FtpJobContext &on, int index) {
        if (on.stopRequested())
            return End::StopAll;
        QByteArray folder;
        {
            const std::lock_guard lock(mutex);
            folder = folders.at(static_cast<std::size_t>(index));
        }
        RemoteItems items;
        try {
            items = on.files().listFully(root(folder));
        } catch (const RemoteCancelled &) {
            return End::StopAll;
        } catch (const std::exception &) {
            if (on.files().isConnected())
                return End::Done; // refused: the walk asks again and says why
            return End::ConnectionLost;
        }
        std::deque<QByteArray> below = foldersBelow(folder, items, exclusions);
        const std::lock_guard lock(mutex);
        result.m_listed.insert(folder, items);
        // Past what the walk reads at most, it finds out for itself.
        if (static_cast<qsizetype>(folders.size() + below.size()) > maxFolders)
            return End::Done;
        folders.insert(folders.end(), below.begin(), below.end());
        crew->more(static_cast<int>(below.size()));
        return End::Done;
    });
    result.m_connectionsUsed = crew->connectionsUsed();
    context.checkStop();
    return result;
}

void PublishListings::readByLevels(FtpJobContext &context,
                                   const RootPath &root,
                                   const SiteExclusions &exclusions,
                                   int maxFolders,
                                   std::deque<QByteArray> level)
{
    qsizetype found = static_cast<qsizetype>(level.size()) + 1;
    while (!level.empty()) {
        context.checkStop();
        std::vector<std::string> paths;
        paths.reserve(level.size());
        for (const QByteArray &folder : level)
            paths.push_back(root(folder));
        std::vector<std::optional<RemoteItems>> listed = context.files().listFullySeveral(paths);
        std::deque<QByteArray> next;
        for (std::size_t index = 0; index < level.size() && index < listed.size(); ++index) {
            if (!listed[index])
                continue; // refused: the walk asks again and says why
            const std::deque<QByteArray> below = foldersBelow(level[index], *listed[index], exclusions);
            next.insert(next.end(), below.begin(), below.end());
            m_listed.insert(level[index], std::move(*listed[index]));
        }
        // Past what the walk reads at most, it finds out for itself.
        if (found + static_cast<qsizetype>(next.size()) > maxFolders)
            return;
        found += static_cast<qsizetype>(next.size());
        level = std::move(next);
    }
    context.checkStop();
}

std::optional<RemoteItems> PublishListings::take(const QByteArray &folder)
{
    const auto found = m_listed.find(folder);
    if (found == m_listed.end())
        return std::nullopt;
    RemoteItems items = found.value();
    m_listed.erase(found);
    return items;
}
