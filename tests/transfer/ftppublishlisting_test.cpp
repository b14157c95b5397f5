#include "transfer/ftp/ftppublishlisting.h"

#include "support/ftp/scriptedsession.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

const std::string features = "211-Features:\r\n MDTM\r\n211 End\r\n";
const std::string entry = "-rw-r--r-- 1 u g 3 Dec 09 10:15 a.html";

// The root's listing over a data connection, as LIST -a gives it.
void listedOverData(ScriptedFtpServer &server)
{
    server.receive()
        .offerExtendedPassive()
        .answer("150 Here comes the listing")
        .sendData(entry + "\r\n")
        .reply("226 Done");
}

struct InReplyCase
{
    const char *name;
    std::string statReply; // to STAT -a of the root, which lists a.html over a data connection
    bool used;             // the next folder is listed in STAT's reply
};

class ListingInReply : public ScriptedSession, public testing::WithParamInterface<InReplyCase>
{};

// STAT's reply stands in for a data connection only once it listed what LIST -a did: a server
// that answers with its own status, or refuses, keeps its listings on data connections.
TEST_P(ListingInReply, IsUsedOnlyWhereItListedTheSame)
{
    const InReplyCase &c = GetParam();
    m_client.settings().dataMode = FtpDataMode::Passive;
    scriptLogin(m_server).send(features).receive();
    listedOverData(m_server);
    m_server.receive().send(c.statReply);
    if (c.used)
        m_server.receive().send("213-Status follows:\r\n" + entry + " \r\n213 End of status\r\n");
    else
        listedOverData(m_server);
    m_server.start();
    m_client.connect();
    FtpPublishListing listing(m_client);
    EXPECT_EQ(listing.list("/www/").size(), 1);
    const RemoteItems sub = listing.list("/www/sub/");
    ASSERT_EQ(sub.size(), 1);
    // A name's trailing blank comes through as the server sent it.
    EXPECT_EQ(sub.front().name, c.used ? QByteArray("a.html ") : QByteArray("a.html"));
    Commands commands;
    for (const std::string &command : finish()) {
        if (command != "EPSV")
            commands.push_back(command);
    }
    EXPECT_EQ(
        commands,
        with(loginCommands,
             {"FEAT", "list -a /www/", "STAT -a /www/", c.used ? "STAT -a /www/sub/" : "list -a /www/sub/", "Quit"}));
}

INSTANTIATE_TEST_SUITE_P(
    Servers,
    ListingInReply,
    testing::Values(
        InReplyCase{"ListsTheSame", "213-Status follows:\r\n" + entry + "\r\n213 End of status\r\n", true},
        InReplyCase{"AnswersWithItsOwnStatus",
                    "211-FTP server status:\r\n Connected to 127.0.0.1\r\n Logged in as alice\r\n211 End of status\r\n",
                    false},
        InReplyCase{"HidesAName", "213-Status follows:\r\n213 End of status\r\n", false},
        InReplyCase{"Refused", "500 Unknown command.\r\n", false}),
    [](const testing::TestParamInfo<InReplyCase> &info) { return std::string(info.param.name); });

// Where listings come in replies, several folders are asked for together: the server reads
// every STAT before it answers one. A folder it refuses has no listing, the others keep theirs,
// and the connection stays in step for what comes next.
TEST_F(ScriptedSession, SeveralFoldersAreListedInOneRoundTrip)
{
    const auto status = [](const std::string &name) {
        return "213-Status follows:\r\n-rw-r--r-- 1 u g 3 Dec 09 10:15 " + name + "\r\n213 End of status\r\n";
    };
    scriptLogin(m_server).receive().receive().receive();
    m_server.send(status("a.html")).reply("550 Could not list.").send(status("c.html"));
    m_server.answer("257 \"/www\"");
    m_server.start();
    m_client.connect();
    FtpPublishListing::Way way;
    way.listing = FtpClient::Listing::WithHidden;
    way.settled = true;
    way.inReply = FtpPublishListing::Way::InReply::Used;
    FtpPublishListing listing(m_client, way);
    ASSERT_TRUE(listing.listsSeveralAtOnce());
    const std::vector<std::optional<RemoteItems>> listed = listing.listSeveral({"/www/a/", "/www/b/", "/www/c/"});
    ASSERT_EQ(listed.size(), 3u);
    ASSERT_TRUE(listed[0] && listed[0]->size() == 1);
    EXPECT_EQ(listed[0]->front().name, QByteArray("a.html"));
    EXPECT_FALSE(listed[1]);
    ASSERT_TRUE(listed[2] && listed[2]->size() == 1);
    EXPECT_EQ(listed[2]->front().name, QByteArray("c.html"));
    EXPECT_EQ(m_client.currentDir(), "/www");
    EXPECT_EQ(finish(), with(loginCommands, {"STAT -a /www/a/", "STAT -a /www/b/", "STAT -a /www/c/", "PWD", "Quit"}));
}

} // namespace
