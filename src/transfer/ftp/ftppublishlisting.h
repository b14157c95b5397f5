#pragma once

#include "transfer/ftp/ftpclient.h"
#include "transfer/remotedate.h"
#include "transfer/remoteitem.h"

#include <optional>
#include <string>
#include <vector>

// How a publish reads the server's folders: MLSD where FEAT offers it (exact times and every
// name, the modes too where the server gives unix.mode), else LIST -a where the server takes
// it (vsftpd leaves names starting with a dot out of a plain LIST), else LIST; the last two in
// the reply to STAT where it lists the same (a round trip per folder, where a data connection
// costs three or four). The first listing, of the site's root, settles LIST -a, the first that
// shows entries STAT; the way then holds for the publish, so the listings after the uploads
// read like the plan's. Also asks MDTM where the server offers it.
// Refers to the client; used by FtpRemoteFiles for its full listings.
class FtpPublishListing
{
public:
    struct Way
    {
        FtpClient::Listing listing = FtpClient::Listing::Plain;
        bool settled = false;          // LIST -a was tried, or was not to be
        bool modificationTime = false; // MDTM
        std::string machineFacts;      // sent with OPTS MLST before the first MLSD; empty: none
        // LIST's listings come in STAT's reply instead, which costs no data connection: tried
        // once a folder listed something, and kept where it gave the same entries.
        enum class InReply {
            Untried,
            Used,
            Refused,
        } inReply = InReply::Untried;
    };

    // Asks the server what it offers (FEAT, and OPTS MLST when it has unix.mode to give).
    explicit FtpPublishListing(FtpClient &client);
    // Goes on the way a scan found (OPTS again, for a connection made since).
    FtpPublishListing(FtpClient &client, Way way);

    // folder: a path as the server takes it, ending in "/" (the root's too).
    RemoteItems list(const std::string &folder);
    // Several folders, at once where listings come in replies; a folder the server refuses
    // has none (nullopt). Throws only where the connection is lost or stopped.
    std::vector<std::optional<RemoteItems>> listSeveral(const std::vector<std::string> &folders);
    // Whether listSeveral costs about one round trip, or may once the first folder is listed.
    bool listsSeveralAtOnce() const { return m_way.inReply == Way::InReply::Used; }
    bool mayListSeveralAtOnce() const
    {
        return listsSeveralAtOnce()
            || (m_way.inReply == Way::InReply::Untried && m_way.listing != FtpClient::Listing::Machine);
    }
    // The server's exact time of a file; nothing when it offers no MDTM or gives no time.
    std::optional<RemoteDate> modificationTime(const std::string &path);

    const Way &way() const { return m_way; }
    // Whether the listings show names that start with a dot.
    bool showsHiddenNames() const { return m_way.listing != FtpClient::Listing::Plain; }

private:
    RemoteItems parse(const std::vector<std::string> &lines) const;
    RemoteItems listOverData(const std::string &folder);
    void settleInReply(const std::string &folder, const RemoteItems &listed);
    void chooseFacts();

    FtpClient &m_client;
    Way m_way;
};
