// The client against servers that misbehave, by fault or on purpose: floods, cut transfers,
// refusals at awkward moments, silence where an answer is due. Each must end in a clear
// error, in time, with the user's files and the reply stream intact.
#include "support/ftp/localfiles.h"
#include "support/ftp/scriptedftpserver.h"
#include "support/ftp/scriptedsession.h"
#include "transfer/ftp/connectionclosed.h"
#include "transfer/ftp/ftpcancellederror.h"
#include "transfer/ftp/ftpclient.h"
#include "transfer/ftp/ftpprotocolerror.h"
#include "transfer/ftp/ftpreplyerror.h"
#include "transfer/ftp/ftptimeouterror.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
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

// The tail of the wire after the data connection's PORT line.
Commands afterPort(const Commands &commands)
{
    const auto port = std::find_if(
        commands.begin(), commands.end(), [](const std::string &line) { return line.rfind("PORT ", 0) == 0; });
    return port == commands.end() ? Commands{} : Commands(port + 1, commands.end());
}

// A stopped upload must not leave a cut file that the server took for whole: ABOR goes out,
// after Telnet IP and Synch, while the data connection still stands; then the cut file goes.
TEST_F(ScriptedSession, CancelledUploadAbortsBeforeClosingTheDataAndDeletesTheCutFile)
{
    const fs::path source = m_folder / "big.bin";
    writeFile(source, std::string(4 * 1024 * 1024, 'b'));
    scriptLogin(m_server)
        .answer("200 PORT ok")
        .answer("150 Ok to send")
        .receiveDataUntilCommand()
        .answer("426 Failure writing network stream.")
        .reply("226 ABOR successful")
        .answer("250 Deleted")
        .answer("257 \"/\"")
        .start();
    m_client.connect();
    const FtpClient::Progress stopAfterFirstBlock = [](std::uint64_t, std::uint64_t) { return false; };
    try {
        m_client.store(source.string(), "big.bin", stopAfterFirstBlock);
        FAIL() << "no error";
    } catch (const FtpCancelledError &error) {
        ASSERT_TRUE(error.unfinishedUpload().has_value());
        EXPECT_EQ(error.unfinishedUpload()->remoteName, "big.bin");
        EXPECT_TRUE(error.unfinishedUpload()->removed);
    }
    EXPECT_EQ(m_client.currentDir(), "/");
    EXPECT_EQ(afterPort(finish()), (Commands{"STOR big.bin", "ABOR", "DELE big.bin", "PWD", "Quit"}));
    EXPECT_EQ(m_server.interruptedCommands(), 1);
    EXPECT_FALSE(m_server.receivedData().empty());
}

struct FailedUpload
{
    const char *name;
    std::size_t size;
    std::function<void(ScriptedFtpServer &)> afterAccept; // the server's side once it said 150
    const char *message;
    bool removed;
    Commands wireAfterStore; // up to the client's goodbye
};

class FailedUploadLeavesNoCutFile : public ScriptedSession, public testing::WithParamInterface<FailedUpload>
{};

TEST_P(FailedUploadLeavesNoCutFile, DeletesItWhileTheConnectionStands)
{
    const FailedUpload &c = GetParam();
    const fs::path source = m_folder / "big.bin";
    writeFile(source, std::string(c.size, 'x'));
    scriptLogin(m_server).answer("200 PORT ok").answer("150 Ok to send");
    c.afterAccept(m_server);
    m_server.start();
    m_client.connect();
    try {
        m_client.store(source.string(), "big.bin");
        FAIL() << "no error";
    } catch (const FtpError &error) {
        EXPECT_STREQ(error.what(), c.message);
        ASSERT_TRUE(error.unfinishedUpload().has_value());
        EXPECT_EQ(error.unfinishedUpload()->remoteName, "big.bin");
        EXPECT_EQ(error.unfinishedUpload()->removed, c.removed);
    }
    if (m_client.isConnected()) {
        EXPECT_EQ(m_client.currentDir(), "/");
    }
    EXPECT_EQ(afterPort(finish()), c.wireAfterStore);
}

INSTANTIATE_TEST_SUITE_P(
    Failures,
    FailedUploadLeavesNoCutFile,
    testing::Values(
        FailedUpload{"RefusedHalfWay",
                     32 * 1024 * 1024, // more than the sockets can buffer
                     [](ScriptedFtpServer &s) {
                         s.refuseData(65536, "552 Quota exceeded.").answer("250 Deleted").answer("257 \"/\"");
                     },
                     "552 Quota exceeded.",
                     true,
                     {"STOR big.bin", "DELE big.bin", "PWD", "Quit"}},
        FailedUpload{"AbortedAfterTheData",
                     100000,
                     [](ScriptedFtpServer &s) {
                         s.receiveData()
                             .reply("426 Failure writing network stream.")
                             .answer("550 Permission denied.")
                             .answer("257 \"/\"");
                     },
                     "426 Failure writing network stream.",
                     false,
                     {"STOR big.bin", "DELE big.bin", "PWD", "Quit"}},
        FailedUpload{"ServerLeftAfterTheData",
                     100000,
                     [](ScriptedFtpServer &s) { s.receiveData().closeControl(); },
                     "Connection Closed Gracefully.",
                     false,
                     {"STOR big.bin"}},
        FailedUpload{"ServerClosingAfterTheData",
                     100000,
                     [](ScriptedFtpServer &s) { s.receiveData().reply("421 Timeout."); },
                     "421 Timeout.",
                     false,
                     {"STOR big.bin"}}),
    [](const testing::TestParamInfo<FailedUpload> &info) { return std::string(info.param.name); });

TEST_F(ScriptedSession, UploadRefusedBeforeItsDataLeavesTheOldFileAlone)
{
    const fs::path source = m_folder / "page.html";
    writeFile(source, "new page");
    scriptLogin(m_server).answer("200 PORT ok").answer("553 Could not create file.").answer("257 \"/\"").start();
    m_client.connect();
    try {
        m_client.store(source.string(), "page.html");
        FAIL() << "no error";
    } catch (const FtpReplyError &error) {
        EXPECT_FALSE(error.unfinishedUpload().has_value());
    }
    EXPECT_EQ(m_client.currentDir(), "/");
    EXPECT_EQ(afterPort(finish()), (Commands{"STOR page.html", "PWD", "Quit"}));
}

struct Closing421
{
    const char *name;
    std::function<void(ScriptedFtpServer &)> script;
    std::function<void(FtpClient &)> call; // after connecting, unless the greeting is the 421
    const char *line;
};

class ServerClosingWith421 : public ScriptedSession, public testing::WithParamInterface<Closing421>
{};

// 421 is the server going away, whatever was asked: the connection is closed at once, so the
// window hears of it now rather than on the next command.
TEST_P(ServerClosingWith421, ClosesTheConnectionAtOnce)
{
    const Closing421 &c = GetParam();
    c.script(m_server);
    m_server.start();
    try {
        m_client.connect();
        if (c.call)
            c.call(m_client);
        FAIL() << "no error";
    } catch (const ConnectionClosed &error) {
        EXPECT_STREQ(error.what(), c.line);
        EXPECT_EQ(error.fault(), FtpFault::ServerEndedConnection);
    }
    EXPECT_EQ(m_disconnectedCount, 1);
    EXPECT_FALSE(m_client.isConnected());
    m_server.finish();
    EXPECT_EQ(m_server.failure(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Moments,
    ServerClosingWith421,
    testing::Values(
        Closing421{
            "Greeting", [](ScriptedFtpServer &s) { s.reply("421 Too many users"); }, nullptr, "421 Too many users"},
        Closing421{"ReplyToACommand",
                   [](ScriptedFtpServer &s) { scriptLogin(s).answer("421 Timeout: closing control connection."); },
                   [](FtpClient &client) { client.currentDir(); },
                   "421 Timeout: closing control connection."},
        Closing421{"WhileWaitingForTheDataConnection",
                   [](ScriptedFtpServer &s) {
                       scriptLogin(s).answer("200 PORT ok").answer("150 Opening").reply("421 Shutting down.");
                   },
                   [](FtpClient &client) { client.list(""); },
                   "421 Shutting down."}),
    [](const testing::TestParamInfo<Closing421> &info) { return std::string(info.param.name); });

struct ControlByteReply
{
    const char *name;
    std::string pwdReply; // bytes sent in answer to PWD
    bool staysInStep;     // the reply itself was whole; only what it says is refused
};

class ControlBytesInReplies : public ScriptedSession, public testing::WithParamInterface<ControlByteReply>
{};

TEST_P(ControlBytesInReplies, AreRefused)
{
    scriptLogin(m_server).receive().send(GetParam().pwdReply);
    if (GetParam().staysInStep)
        m_server.answer("257 \"/\"");
    m_server.start();
    m_client.connect();
    EXPECT_THROW(m_client.currentDir(), FtpProtocolError);
    EXPECT_EQ(m_client.isConnected(), GetParam().staysInStep);
    if (GetParam().staysInStep) {
        EXPECT_EQ(m_client.currentDir(), "/");
    }
    finish();
}

INSTANTIATE_TEST_SUITE_P(
    Bytes,
    ControlBytesInReplies,
    testing::Values(ControlByteReply{"NulInside", std::string("257 \"/www\" is\0 cwd\r\n", 20), false},
                    ControlByteReply{"NulAtTheEnd", std::string("257 \"/www\"\0\r\n", 13), false},
                    ControlByteReply{"EscapeInPath", "257 \"/www\x1B[2J\"\r\n", false},
                    ControlByteReply{"DeleteInside", "257 \"/www\" \x7F\r\n", false},
                    ControlByteReply{"TabInPath", "257 \"/a\tb\" is cwd\r\n", true}),
    [](const testing::TestParamInfo<ControlByteReply> &info) { return std::string(info.param.name); });

TEST_F(ScriptedSession, NulInTheLoginReplyEndsTheLogin)
{
    m_server.reply("220 Ready").answer("331 Password").receive().send(std::string("230 logged\0 in\r\n", 17)).start();
    EXPECT_THROW(m_client.connect(), FtpProtocolError);
    EXPECT_FALSE(m_client.isConnected());
    EXPECT_EQ(m_disconnectedCount, 1);
    m_server.finish();
}

TEST_F(ScriptedSession, OverlongListingLinesAreSkippedAndReported)
{
    const std::string longLine = std::string(1024 * 1024, 'x');
    scriptLogin(m_server)
        .answer("200 PORT ok")
        .answer("150 Opening")
        .sendData("-rw-r--r-- 1 u g 5 Jan 1 a.html\r\n" + longLine + "\r\n-rw-r--r-- 1 u g 5 Jan 1 b.html\r\n")
        .reply("226 Done")
        .start();
    m_client.connect();
    FtpClient::SkippedLines skipped;
    EXPECT_EQ(m_client.list("", {}, &skipped),
              (Commands{"-rw-r--r-- 1 u g 5 Jan 1 a.html", "-rw-r--r-- 1 u g 5 Jan 1 b.html"}));
    EXPECT_EQ(skipped.count, 1u);
    EXPECT_EQ(skipped.beginnings, Commands{std::string(FtpClient::SkippedLines::beginningLength, 'x')});
    finish();
}

// A server that says 150 and never connects: the wait ends at the accept limit, and ABOR asks
// the server for its word at once instead of waiting a whole reply limit more.
TEST_F(ScriptedSession, AcceptLimitEndsTheTransferAtItsLimit)
{
    const std::chrono::milliseconds limit(1000);
    m_client.settings().timeLimits.dataAccept = limit;
    m_client.settings().timeLimits.reply = limit;
    scriptLogin(m_server)
        .answer("200 PORT ok")
        .answer("150 Opening")
        .receive()
        .reply("425 Can't open data connection.")
        .reply("226 ABOR successful")
        .answer("257 \"/\"")
        .start();
    m_client.connect();
    const auto start = Clock::now();
    try {
        m_client.list("");
        FAIL() << "no error";
    } catch (const FtpTimeoutError &error) {
        EXPECT_EQ(error.fault(), FtpFault::AcceptTimeout);
    }
    // A fault check only (twice the limit is the fault), not a measurement.
    EXPECT_LT(Clock::now() - start, limit * 18 / 10);
    EXPECT_EQ(m_client.currentDir(), "/");
    EXPECT_EQ(afterPort(finish()), (Commands{"list", "ABOR", "PWD", "Quit"}));
}

} // namespace
