#include "transfer/ftp/ftppublishlisting.h"

#include "transfer/ftp/ftpreplyerror.h"
#include "transfer/machinelistingparser.h"
#include "transfer/remotelistingparser.h"

#include <algorithm>
#include <array>
#include <tuple>

namespace {

// What a publish reads of each entry; the mode only where the server has it.
constexpr std::array kWantedFacts{"type", "size", "modify", "unix.mode"};

} // namespace

FtpPublishListing::FtpPublishListing(FtpClient &client) : m_client(client)
{
    const FtpFeatures features = m_client.features();
    m_way.modificationTime = features.modificationTime;
    if (!features.machineList) {
        m_way.listing = FtpClient::Listing::WithHidden;
        return;
    }
    m_way.listing = FtpClient::Listing::Machine;
    m_way.settled = true;
    // Ask for the facts only when one wanted is not sent unasked: a command saved otherwise.
    bool missing = false;
    std::string facts;
    for (const char *fact : kWantedFacts) {
        if (!features.offersFact(fact))
            continue;
        facts += std::string(fact) + ';';
        missing = missing || !features.sendsFact(fact);
    }
    if (missing)
        m_way.machineFacts = facts;
    chooseFacts();
}

FtpPublishListing::FtpPublishListing(FtpClient &client, Way way) : m_client(client), m_way(std::move(way))
{
    chooseFacts();
}

void FtpPublishListing::chooseFacts()
{
    if (m_way.machineFacts.empty())
        return;
    try {
        m_client.options("MLST " + m_way.machineFacts);
    } catch (const FtpReplyError &) {
        // The listing then lacks the modes; times and names still come.
        if (!m_client.isConnected())
            throw;
    }
}

RemoteItems FtpPublishListing::parse(const std::vector<std::string> &lines) const
{
    return m_way.listing == FtpClient::Listing::Machine ? MachineListingParser::parse(lines)
                                                        : RemoteListingParser::parse(lines);
}

RemoteItems FtpPublishListing::list(const std::string &folder)
{
    if (m_way.inReply == Way::InReply::Used)
        return parse(m_client.listInReply(folder, m_way.listing));
    RemoteItems items = listOverData(folder);
    if (m_way.inReply == Way::InReply::Untried && !items.isEmpty())
        settleInReply(folder, items);
    return items;
}

std::vector<std::optional<RemoteItems>> FtpPublishListing::listSeveral(const std::vector<std::string> &folders)
{
    std::vector<std::optional<RemoteItems>> listed;
    if (listsSeveralAtOnce()) {
        for (std::optional<std::vector<std::string>> &lines : m_client.listInReplies(folders, m_way.listing))
            listed.push_back(lines ? std::optional(parse(*lines)) : std::nullopt);
        return listed;
    }
    for (const std::string &folder : folders) {
        try {
            listed.emplace_back(list(folder));
        } catch (const FtpReplyError &) {
            if (!m_client.isConnected())
                throw;
            listed.emplace_back(std::nullopt);
        }
    }
    return listed;
}

void FtpPublishListing::settleInReply(const std::string &folder, const RemoteItems &listed)
{
    m_way.inReply = Way::InReply::Refused;
    if (m_way.listing == FtpClient::Listing::Machine)
        return;
    RemoteItems inReply;
    try {
        inReply = parse(m_client.listInReply(folder, m_way.listing));
    } catch (const FtpReplyError &) {
        if (!m_client.isConnected())
            throw;
        return;
    }
    // A server that takes STAT for its own status, or for one file, or hides other names there,
    // answers with entries of its own.
    const auto entries = [](const RemoteItems &items) {
        std::vector<std::tuple<QByteArray, bool, qint64, QString>> all;
        for (const RemoteItem &item : items)
            all.emplace_back(item.name, item.folder, item.size, item.attributes);
        std::sort(all.begin(), all.end());
        return all;
    };
    if (entries(inReply) == entries(listed))
        m_way.inReply = Way::InReply::Used;
}

RemoteItems FtpPublishListing::listOverData(const std::string &folder)
{
    if (m_way.settled)
        return parse(m_client.list(folder, m_way.listing));
    m_way.settled = true;
    RemoteItems items;
    try {
        items = parse(m_client.list(folder, FtpClient::Listing::WithHidden));
    } catch (const FtpReplyError &) {
        if (!m_client.isConnected())
            throw;
        m_way.listing = FtpClient::Listing::Plain;
        return listOverData(folder);
    }
    if (!items.isEmpty())
        return items;
    // A server that takes "-a" for a name lists nothing of it; a plain listing tells.
    RemoteItems plain = parse(m_client.list(folder, FtpClient::Listing::Plain));
    if (!plain.isEmpty())
        m_way.listing = FtpClient::Listing::Plain;
    return plain;
}

std::optional<RemoteDate> FtpPublishListing::modificationTime(const std::string &path)
{
    if (!m_way.modificationTime)
        return std::nullopt;
    try {
        const RemoteDate date = RemoteDate::fromMachineTime(m_client.modificationTime(path));
        return date.day.isValid() ? std::optional(date) : std::nullopt;
    } catch (const FtpReplyError &) {
        if (!m_client.isConnected())
            throw;
        return std::nullopt;
    }
}
