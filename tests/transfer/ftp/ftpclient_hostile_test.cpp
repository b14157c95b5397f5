// The client against servers that misbehave, by fault or on purpose: floods, cut transfers,
// refusals at awkward moments, silence where an answer is due. Each must end in a clear
// error, in time, with the user's files and the reply stream intact.
#include "support/ftp/localfiles.h"
#include "support/ftp/scriptedftpserver.h"
#include "support/ftp/scriptedsession.h"
#include "transfer/ftp/ftpclient.h"
#include "transfer/ftp/ftpprotocolerror.h"
#include "transfer/ftp/ftpreplyerror.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

mode_t permissionsOf(const fs::path &path)
{
    struct stat status
    {};
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

class FloodedGreeting : public ScriptedSession, public testing::WithParamInterface<const char *>
{};

TEST_P(FloodedGreeting, EndsInAnErrorInsteadOfSpinning)
{
    m_server.flood(GetParam()).start();
    EXPECT_THROW(m_client.connect(), FtpProtocolError);
    EXPECT_FALSE(m_client.isConnected());
    EXPECT_EQ(m_disconnectedCount, 1);
    m_server.finish();
}

INSTANTIATE_TEST_SUITE_P(EmptyLines, FloodedGreeting, testing::Values("\r\n", "\n", " \t\r\n"));

TEST_F(ScriptedSession, ListingOfBareLineEndsHoldsNothing)
{
    scriptLogin(m_server)
        .answer("200 PORT ok")
        .answer("150 Opening")
        .sendData(std::string(8 * 1024 * 1024, '\n') + "only.html\n")
        .reply("226 Done")
        .start();
    m_client.connect();
    EXPECT_EQ(m_client.list(""), Commands{"only.html"});
    finish();
}

TEST_F(ScriptedSession, ListingOfTooManyLinesIsRefusedAndTheSessionGoesOn)
{
    std::string listing;
    for (std::size_t line = 0; line <= FtpClient::maxListingLines; ++line)
        listing += "a\n";
    scriptLogin(m_server)
        .answer("200 PORT ok")
        .answer("150 Opening")
        .sendData(listing)
        .reply("226 Done")
        .answer("257 \"/\"")
        .start();
    m_client.connect();
    try {
        m_client.list("");
        FAIL() << "no error";
    } catch (const FtpProtocolError &error) {
        EXPECT_STREQ(error.what(), "The server sent a listing of more than 500000 lines.");
    }
    EXPECT_EQ(m_client.currentDir(), "/");
    finish();
}

struct CutDownload
{
    const char *name;
    std::string data;
    std::vector<std::string> endReplies;
    std::optional<std::uint64_t> expectedSize;
    const char *message;
};

class CutDownloadKeepsTheOldFile : public ScriptedSession, public testing::WithParamInterface<CutDownload>
{};

TEST_P(CutDownloadKeepsTheOldFile, FailsAndStaysInStep)
{
    const CutDownload &c = GetParam();
    const fs::path target = m_folder / "index.html";
    writeFile(target, "my good page");
    scriptLogin(m_server).answer("200 PORT ok").answer("150 Opening").sendData(c.data);
    for (const std::string &reply : c.endReplies)
        m_server.reply(reply);
    m_server.answer("257 \"/www\"").start();
    m_client.connect();
    try {
        m_client.retrieve("index.html", target.string(), true, c.expectedSize);
        FAIL() << "a cut download was taken as complete";
    } catch (const FtpError &error) {
        EXPECT_STREQ(error.what(), c.message);
    }
    EXPECT_EQ(readFile(target), "my good page");
    EXPECT_EQ(folderEntries(), std::vector<fs::path>{"index.html"}); // no temporary file left
    EXPECT_EQ(m_client.currentDir(), "/www");                        // every reply read in its turn
    finish();
}

INSTANTIATE_TEST_SUITE_P(
    Ends,
    CutDownloadKeepsTheOldFile,
    testing::Values(CutDownload{"Aborted426Then226",
                                "<html>",
                                {"426 Connection closed; transfer aborted.", "226 Abort successful"},
                                std::nullopt,
                                "426 Connection closed; transfer aborted."},
                    CutDownload{
                        "Aborted426Alone", "<html>", {"426 Transfer aborted."}, std::nullopt, "426 Transfer aborted."},
                    CutDownload{"ShorterThanListed",
                                "<html>",
                                {"226 Done"},
                                4096,
                                "The download of index.html ended after 6 of 4096 bytes."}),
    [](const testing::TestParamInfo<CutDownload> &info) { return std::string(info.param.name); });

TEST_F(ScriptedSession, ListingCutBy426IsNoListing)
{
    scriptLogin(m_server)
        .answer("200 PORT ok")
        .answer("150 Opening")
        .sendData("a.html\r\nb.ht")
        .reply("426 Connection closed; transfer aborted.")
        .reply("226 Abort successful")
        .start();
    m_client.connect();
    EXPECT_THROW(m_client.list(""), FtpReplyError);
    EXPECT_TRUE(m_client.isConnected());
    finish();
}

class EarlyRefusal : public ScriptedSession, public testing::WithParamInterface<bool>
{};

// The server takes the command with "150" and then refuses it without ever connecting; the
// refusal must end the wait for the data connection at once, not after its time limit.
TEST_P(EarlyRefusal, EndsTheWaitWithTheServersReply)
{
    const bool inOnePacket = GetParam();
    m_client.settings().timeLimits.dataAccept = std::chrono::seconds(30);
    scriptLogin(m_server).answer("200 PORT ok");
    if (inOnePacket)
        m_server.receive().send("150 Opening\r\n550 Permission denied.\r\n");
    else
        m_server.answer("150 Opening").pause(50).reply("550 Permission denied.");
    m_server.answer("257 \"/\"").start();
    m_client.connect();
    try {
        m_client.retrieve("secret.html", (m_folder / "secret.html").string(), true);
        FAIL() << "no error";
    } catch (const FtpReplyError &error) {
        EXPECT_EQ(error.code(), 550);
        EXPECT_STREQ(error.what(), "550 Permission denied.");
    }
    EXPECT_TRUE(folderEntries().empty());
    EXPECT_EQ(m_client.currentDir(), "/");
    finish();
}

INSTANTIATE_TEST_SUITE_P(Packets, EarlyRefusal, testing::Values(false, true));

TEST_F(ScriptedSession, AbortToASilentServerClosesInsteadOfWaitingTheReplyLimit)
{
    m_client.settings().timeLimits.reply = std::chrono::seconds(20);
    scriptLogin(m_server).receive().start(); // takes ABOR, answers nothing
    m_client.connect();
    const auto start = Clock::now();
    EXPECT_NO_THROW(m_client.abort());
    // Far below the 20-second reply limit, and far above the 0.3-second abort limit, so a
    // loaded machine cannot make it fail.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(m_client.isConnected());
    EXPECT_EQ(m_disconnectedCount, 1);
    m_server.finish();
    EXPECT_EQ(m_server.commands(), with(loginCommands, {"ABOR"}));
}

TEST_F(ScriptedSession, DownloadKeepsTheTargetsPermissions)
{
    const fs::path target = m_folder / "private.txt";
    writeFile(target, "old");
    fs::permissions(target, fs::perms(0600));
    scriptLogin(m_server).answer("200 PORT ok").answer("150 Opening").sendData("new").reply("226 Done").start();
    m_client.connect();
    m_client.retrieve("private.txt", target.string(), true);
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(permissionsOf(target), 0600u);
    finish();
}

TEST_F(ScriptedSession, DownloadThroughASymbolicLinkWritesTheFileItPointsTo)
{
    fs::create_directories(m_folder / "real");
    const fs::path pointed = m_folder / "real" / "page.html";
    writeFile(pointed, "old");
    fs::permissions(pointed, fs::perms(0640));
    fs::create_symlink("real/page.html", m_folder / "page.html");
    scriptLogin(m_server).answer("200 PORT ok").answer("150 Opening").sendData("new").reply("226 Done").start();
    m_client.connect();
    m_client.retrieve("page.html", (m_folder / "page.html").string(), true);
    EXPECT_TRUE(fs::is_symlink(m_folder / "page.html"));
    EXPECT_EQ(readFile(pointed), "new");
    EXPECT_EQ(permissionsOf(pointed), 0640u);
    EXPECT_EQ(folderEntries(), (std::vector<fs::path>{"page.html", "real"}));
    EXPECT_EQ(fs::directory_iterator(m_folder / "real")->path().filename(), "page.html"); // nothing beside it
    finish();
}

TEST_F(ScriptedSession, UploadRefusedHalfWayShowsTheServersReason)
{
    const fs::path source = m_folder / "big.bin";
    writeFile(source, std::string(32 * 1024 * 1024, 'x')); // more than the sockets can buffer
    scriptLogin(m_server)
        .answer("200 PORT ok")
        .answer("150 Ok to send")
        .refuseData(65536, "552 Quota exceeded.")
        .answer("257 \"/\"")
        .start();
    m_client.connect();
    try {
        m_client.store(source.string(), "big.bin");
        FAIL() << "no error";
    } catch (const FtpReplyError &error) {
        EXPECT_EQ(error.code(), 552);
        EXPECT_STREQ(error.what(), "552 Quota exceeded.");
    }
    EXPECT_EQ(m_client.currentDir(), "/");
    finish();
}

} // namespace
