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

} // namespace
