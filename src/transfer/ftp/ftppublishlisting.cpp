#include "transfer/ftp/ftppublishlisting.h"

#include "transfer/ftp/ftpreplyerror.h"
#include "transfer/machinelistingparser.h"
#include "transfer/remotelistingparser.h"

#include <array>

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
        return list(folder);
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
