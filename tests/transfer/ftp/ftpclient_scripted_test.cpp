#include "support/ftp/localfiles.h"
#include "support/ftp/scriptedftpserver.h"
#include "support/ftp/scriptedsession.h"
#include "transfer/ftp/connectionclosed.h"
#include "transfer/ftp/ftpcancellederror.h"
#include "transfer/ftp/ftpclient.h"
#include "transfer/ftp/ftpprotocolerror.h"
#include "transfer/ftp/ftpreplyerror.h"
#include "transfer/ftp/ftptimeouterror.h"
#include "transfer/ftp/socketerror.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

TEST_F(ScriptedSession, LoginSendsCommandsAsWritten)
{
    scriptLogin(m_server).start();
    m_client.connect();
    EXPECT_TRUE(m_client.isConnected());
    EXPECT_EQ(m_connectedCount, 1);
    EXPECT_EQ(finish(), with(loginCommands, {"Quit"}));
    EXPECT_EQ(m_disconnectedCount, 1);
    EXPECT_FALSE(m_client.isConnected());
}

TEST_F(ScriptedSession, UserAnsweredWith230SendsNoPassword)
{
    m_server.reply("220 Ready").answer("230 No password needed").answer("200 OK").answer("215 UNIX").start();
    m_client.connect();
    EXPECT_EQ(finish(), (Commands{"user alice", "type I", "syst", "Quit"}));
}

TEST_F(ScriptedSession, MultiLineGreetingIsReadWhole)
{
    m_server.send("220-Welcome\r\n220-Second line\r\n220 Ready\r\n")
        .answer("230 OK")
        .answer("200 OK")
        .answer("500 What?")
        .start();
    m_client.connect();
    EXPECT_EQ(m_client.lastReply().code, 500);
    EXPECT_EQ(finish(), (Commands{"user alice", "type I", "syst", "Quit"}));
}

TEST_F(ScriptedSession, AsciiTypeSendsA)
{
    m_client.settings().transferType = FtpTransferType::Ascii;
    m_server.reply("220 Ready").answer("230 OK").answer("200 OK").answer("215 UNIX").start();
    m_client.connect();
    EXPECT_EQ(finish()[1], "type A");
}

// Logins whose commands go out in one write: the server reads every command of a write before
// it answers any, so a client that waits for each reply in turn runs out of time. "?" reads
// a command; any other entry is a reply.
struct OneWriteLogin
{
    const char *name;
    FtpKnownLogin known;
    bool askSystem;
    std::vector<std::string> script; // after the greeting
    Commands sent;                   // before the Quit
    int refused;                     // the code connect() fails with; 0 when it logs in
    FtpKnownLogin learnt = FtpKnownLogin::Unknown;
};

class OneWriteLogins : public ScriptedSession, public testing::WithParamInterface<OneWriteLogin>
{};

TEST_P(OneWriteLogins, SendTheLoginAndItsSettingsTogether)
{
    const OneWriteLogin &c = GetParam();
    m_client.settings().knownLogin = c.known;
    m_client.settings().askSystem = c.askSystem;
    m_server.reply("220 Ready");
    for (const std::string &step : c.script) {
        if (step == "?")
            m_server.receive();
        else
            m_server.reply(step);
    }
    m_server.start();
    if (c.refused == 0) {
        m_client.connect();
        EXPECT_EQ(m_client.loginWay(), c.learnt);
        EXPECT_EQ(finish(), with(c.sent, {"Quit"}));
        return;
    }
    try {
        m_client.connect();
        FAIL() << "connected";
    } catch (const FtpReplyError &error) {
        EXPECT_EQ(error.code(), c.refused);
        EXPECT_STREQ(error.what(), "530 Login incorrect.");
    }
    EXPECT_FALSE(m_client.isConnected());
    m_server.finish();
    EXPECT_EQ(m_server.commands(), c.sent);
}

constexpr auto unknownLogin = FtpKnownLogin::Unknown;
constexpr auto userAlone = FtpKnownLogin::UserAlone;
constexpr auto userAndPassword = FtpKnownLogin::UserAndPassword;
const std::string pleaseLogIn = "530 Please login with USER and PASS.";

INSTANTIATE_TEST_SUITE_P(
    Ways,
    OneWriteLogins,
    testing::Values(
        OneWriteLogin{"PasswordTakesTheSettingsAlong",
                      unknownLogin,
                      true,
                      {"?", "331 Password", "?", "?", "?", "230 OK", "200 OK", "215 UNIX"},
                      loginCommands,
                      0,
                      userAndPassword},
        OneWriteLogin{
            "KnownUserAlone", userAlone, false, {"?", "?", "230 OK", "200 OK"}, {"user alice", "type I"}, 0, userAlone},
        OneWriteLogin{"KnownPassword",
                      userAndPassword,
                      false,
                      {"?", "?", "?", "331 Password", "230 OK", "200 OK"},
                      {"user alice", "pass secret", "type I"},
                      0,
                      userAndPassword},
        // The settings sent too early are wasted; they go again behind the password.
        OneWriteLogin{"AskedAfterAll",
                      userAlone,
                      false,
                      {"?", "?", "331 Password", pleaseLogIn, "?", "?", "230 OK", "200 OK"},
                      {"user alice", "type I", "pass secret", "type I"},
                      0,
                      userAndPassword},
        OneWriteLogin{"NotAskedAfterAll",
                      userAndPassword,
                      false,
                      {"?", "?", "?", "230 OK", "503 Already logged in", "200 OK"},
                      {"user alice", "pass secret", "type I"},
                      0,
                      userAlone},
        // The password's refusal is the one told, not those of the settings behind it.
        OneWriteLogin{"WrongPassword",
                      unknownLogin,
                      true,
                      {"?", "331 Password", "?", "?", "?", "530 Login incorrect.", pleaseLogIn, pleaseLogIn},
                      loginCommands,
                      530},
        OneWriteLogin{"KnownPasswordWrong",
                      userAndPassword,
                      false,
                      {"?", "?", "?", "331 Password", "530 Login incorrect.", pleaseLogIn},
                      {"user alice", "pass secret", "type I"},
                      530}),
    [](const testing::TestParamInfo<OneWriteLogin> &info) { return info.param.name; });

struct RefusedLogin
{
    const char *name;
    std::vector<std::string> replies; // after the greeting, one per command (the settings go with the password)
    const char *greeting;
    int code;
    const char *message;
    FtpFault fault = FtpFault::ServerReply;
};

class ConnectRefused : public ScriptedSession, public testing::WithParamInterface<RefusedLogin>
{};

TEST_P(ConnectRefused, FailsClosesAndNotifies)
{
    const RefusedLogin &c = GetParam();
    m_server.reply(c.greeting);
    for (const std::string &reply : c.replies)
        m_server.answer(reply);
    m_server.start();
    try {
        m_client.connect();
        FAIL() << "connected";
    } catch (const FtpReplyError &error) {
        EXPECT_EQ(error.code(), c.code);
        EXPECT_STREQ(error.what(), c.message);
        EXPECT_EQ(error.fault(), c.fault);
    }
    EXPECT_FALSE(m_client.isConnected());
    EXPECT_EQ(m_connectedCount, 1);
    EXPECT_EQ(m_disconnectedCount, 1);
    m_server.finish();
    EXPECT_EQ(m_server.commands().size(), c.replies.size());
}

INSTANTIATE_TEST_SUITE_P(
    Replies,
    ConnectRefused,
    testing::Values(
        RefusedLogin{"Syst502",
                     {"230 OK", "200 OK", "502 Command not implemented."},
                     "220 Hi",
                     502,
                     "502 Command not implemented."},
        RefusedLogin{
            "TypeRefused", {"230 OK", "504 Type not supported", "215 UNIX"}, "220 Hi", 504, "504 Type not supported"},
        // Servers that want FTPS, each in its own words: no password was wrong.
        RefusedLogin{"Vsftpd",
                     {"530 Non-anonymous sessions must use encryption."},
                     "220 Hi",
                     530,
                     "530 Non-anonymous sessions must use encryption.",
                     FtpFault::EncryptionRequired},
        RefusedLogin{"Pyftpdlib",
                     {"550 SSL/TLS required on the control channel."},
                     "220 Hi",
                     550,
                     "550 SSL/TLS required on the control channel.",
                     FtpFault::EncryptionRequired},
        RefusedLogin{"Iis",
                     {"534 Policy requires SSL."},
                     "220 Hi",
                     534,
                     "534 Policy requires SSL.",
                     FtpFault::EncryptionRequired},
        RefusedLogin{"AfterThePassword",
                     {"331 Password",
                      "530 This server does not allow plain FTP. You have to use FTP over TLS.",
                      pleaseLogIn,
                      pleaseLogIn},
                     "220 Hi",
                     530,
                     "530 This server does not allow plain FTP. You have to use FTP over TLS.",
                     FtpFault::EncryptionRequired},
        RefusedLogin{"Japanese",
                     {"530 \xE6\x9A\x97\xE5\x8F\xB7\xE5\x8C\x96\xE3\x81\x8C\xE5\xBF\x85\xE8\xA6\x81"},
                     "220 Hi",
                     530,
                     "530 \xE6\x9A\x97\xE5\x8F\xB7\xE5\x8C\x96\xE3\x81\x8C\xE5\xBF\x85\xE8\xA6\x81",
                     FtpFault::EncryptionRequired},
        // Only whole words count.
        RefusedLogin{"NotAboutEncryption",
                     {"331 Password", "530 Login incorrect for openssl-user.", pleaseLogIn, pleaseLogIn},
                     "220 Hi",
                     530,
                     "530 Login incorrect for openssl-user."}),
    [](const testing::TestParamInfo<RefusedLogin> &info) { return std::string(info.param.name); });

TEST_F(ScriptedSession, ConnectWhileConnectedIsRefused)
{
    scriptLogin(m_server).start();
    m_client.connect();
    try {
        m_client.connect();
        FAIL() << "connected twice";
    } catch (const FtpError &error) {
        EXPECT_STREQ(error.what(), "Already connected.");
    }
    EXPECT_TRUE(m_client.isConnected());
    finish();
}

TEST(ScriptedClient, CommandsWhileNotConnectedFailAsClosed)
{
    FtpClient client;
    EXPECT_THROW(client.currentDir(), ConnectionClosed);
    EXPECT_THROW(client.list(""), ConnectionClosed);
    EXPECT_THROW(client.retrieve("a", "/nonexistent/a", true), ConnectionClosed);
    EXPECT_NO_THROW(client.quit());
    EXPECT_NO_THROW(client.abort());
}

TEST(ScriptedClient, RefusedConnectionIsSocketError10061)
{
    int port = 0;
    { // a port that was free a moment ago and has no listener now
        ScriptedFtpServer closed;
        port = closed.port();
    }
    FtpClient client;
    client.settings().host = "localhost";
    client.settings().port = static_cast<std::uint16_t>(port);
    int connected = 0;
    int disconnected = 0;
    client.setOnConnected([&] { ++connected; });
    client.setOnDisconnected([&] { ++disconnected; });
    try {
        client.connect();
        FAIL() << "connected";
    } catch (const SocketError &error) {
        EXPECT_EQ(error.code(), 10061);
        EXPECT_STREQ(error.what(), "Socket Error # 10061\r\nConnection refused.");
    }
    EXPECT_FALSE(client.isConnected());
    // A window showing "connecting" learns that the attempt is over.
    EXPECT_EQ(connected, 0);
    EXPECT_EQ(disconnected, 1);
}

TEST_F(ScriptedSession, SimpleCommandsCheckTheirCodes)
{
    scriptLogin(m_server)
        .answer("250 CWD ok")
        .answer("257 \"/www/new\" created")
        .answer("250 RMD ok")
        .answer("250 DELE ok")
        .answer("350 Ready for RNTO")
        .answer("250 Renamed")
        .answer("200 SITE ok")
        .answer("200 CDUP ok (but 250 was due)")
        .answer("550 No such directory")
        .start();
    m_client.connect();
    m_client.changeDir("/www");
    m_client.makeDir("new");
    m_client.removeDir("new");
    m_client.deleteFile("old.html");
    m_client.rename("a.html", "b.html");
    m_client.site("chmod 644 b.html");
    try {
        m_client.changeDirUp();
        FAIL() << "CDUP 200 accepted";
    } catch (const FtpReplyError &error) {
        EXPECT_EQ(error.code(), 200);
    }
    EXPECT_THROW(m_client.changeDir("missing"), FtpReplyError);
    EXPECT_TRUE(m_client.isConnected());
    EXPECT_EQ(finish(),
              with(loginCommands,
                   {"CWD /www",
                    "MKD new",
                    "RMD new",
                    "DELE old.html",
                    "RNFR a.html",
                    "RNTO b.html",
                    "SITE chmod 644 b.html",
                    "CDUP",
                    "CWD missing",
                    "Quit"}));
}

// FEAT, OPTS, MDTM and the other listings: their words on the wire, what their replies give,
// and FEAT refused as servers without it refuse it (nothing offered, the session in step).
TEST_F(ScriptedSession, ExtensionCommandsAsWritten)
{
    m_client.settings().dataMode = FtpDataMode::Passive;
    scriptLogin(m_server)
        .send("211-Features:\r\n MDTM\r\n MLST Type*;Size*;Modify*;UNIX.mode;\r\n SIZE\r\n211 End\r\n")
        .receive()
        .reply("200 MLST OPTS type;size;modify;unix.mode;")
        .answer("213 20261209101520")
        .receive()
        .offerExtendedPassive()
        .answer("150 Here comes the listing")
        .sendData("type=file;size=3; a.html\r\n")
        .reply("226 Done")
        .receive()
        .offerExtendedPassive()
        .answer("150 Here comes the listing")
        .sendData("-rw-r--r-- 1 u g 3 Dec 09 10:15 .htaccess\r\n")
        .reply("226 Done")
        .answer("500 FEAT not understood")
        .start();
    m_client.connect();
    const FtpFeatures features = m_client.features();
    m_client.options("MLST type;size;modify;unix.mode;");
    EXPECT_EQ(m_client.modificationTime("/www/a.html"), "20261209101520");
    EXPECT_EQ(m_client.list("", FtpClient::Listing::Machine), (Commands{"type=file;size=3; a.html"}));
    EXPECT_EQ(m_client.list("/www/", FtpClient::Listing::WithHidden),
              (Commands{"-rw-r--r-- 1 u g 3 Dec 09 10:15 .htaccess"}));
    const FtpFeatures none = m_client.features();
    EXPECT_TRUE(m_client.isConnected());
    EXPECT_EQ(finish(),
              with(loginCommands,
                   {"FEAT",
                    "OPTS MLST type;size;modify;unix.mode;",
                    "MDTM /www/a.html",
                    "EPSV",
                    "MLSD",
                    "EPSV",
                    "list -a /www/",
                    "FEAT",
                    "Quit"}));
    EXPECT_TRUE(features.modificationTime && features.machineList);
    EXPECT_EQ(features.facts, (Commands{"type", "size", "modify", "unix.mode"}));
    EXPECT_EQ(features.factsSent, (Commands{"type", "size", "modify"}));
    EXPECT_TRUE(features.offersFact("UNIX.mode") && !features.sendsFact("unix.mode"));
    EXPECT_FALSE(none.modificationTime || none.machineList);
}

struct PwdCase
{
    const char *reply;
    const char *path;
};

class CurrentDirReply : public ScriptedSession, public testing::WithParamInterface<PwdCase>
{};

TEST_P(CurrentDirReply, TakesTextBetweenFirstTwoQuotes)
{
    scriptLogin(m_server).answer(GetParam().reply).start();
    m_client.connect();
    EXPECT_EQ(m_client.currentDir(), GetParam().path);
    EXPECT_EQ(finish(), with(loginCommands, {"PWD", "Quit"}));
}

INSTANTIATE_TEST_SUITE_P(Replies,
                         CurrentDirReply,
                         testing::Values(PwdCase{"257 \"/home/user\" is current directory.", "/home/user"},
                                         PwdCase{"257 /home/user is current directory.", ""},
                                         PwdCase{"257 \"unterminated", ""},
                                         PwdCase{"257 \"a \"\"q\"\" b\" is here", "a "}));

// A folder's full path, asked in one write (the server reads PWD, CWD and PWD before it
// answers any) and then left again, unless the CWD was refused. The PWD behind it shows the
// session is in step.
struct ResolveCase
{
    const char *name;
    std::vector<std::string> replies; // to PWD, CWD www, PWD
    bool wentBack;                    // a CWD /home followed
    const char *resolved;             // nullptr: refused with code
    int code = 0;
};

class ResolveDir : public ScriptedSession, public testing::WithParamInterface<ResolveCase>
{};

TEST_P(ResolveDir, AsksInOneWriteAndComesBack)
{
    const ResolveCase &c = GetParam();
    scriptLogin(m_server).receive().receive().receive();
    for (const std::string &reply : c.replies)
        m_server.reply(reply);
    if (c.wentBack)
        m_server.answer("250 OK");
    m_server.answer("257 \"/home\"").start();
    m_client.connect();
    if (c.resolved != nullptr) {
        EXPECT_EQ(m_client.resolveDir("www"), c.resolved);
    } else {
        try {
            m_client.resolveDir("www");
            FAIL() << "resolved";
        } catch (const FtpReplyError &error) {
            EXPECT_EQ(error.code(), c.code);
        }
    }
    EXPECT_EQ(m_client.currentDir(), "/home");
    Commands sent = with(loginCommands, {"PWD", "CWD www", "PWD"});
    if (c.wentBack)
        sent.push_back("CWD /home");
    EXPECT_EQ(finish(), with(sent, {"PWD", "Quit"}));
}

INSTANTIATE_TEST_SUITE_P(
    Replies,
    ResolveDir,
    testing::Values(
        ResolveCase{"Resolved", {"257 \"/home\"", "250 OK", "257 \"/home/www\""}, true, "/home/www"},
        ResolveCase{"FolderRefused", {"257 \"/home\"", "550 No such folder", "257 \"/home\""}, false, nullptr, 550},
        ResolveCase{"PathRefusedThere", {"257 \"/home\"", "250 OK", "550 Not allowed"}, true, nullptr, 550}),
    [](const testing::TestParamInfo<ResolveCase> &info) { return info.param.name; });

TEST_F(ScriptedSession, ServerClosingWhileIdleFailsNextCommand)
{
    scriptLogin(m_server).closeControl().start();
    m_client.connect();
    m_server.finish();
    try {
        m_client.currentDir();
        FAIL() << "no error";
    } catch (const ConnectionClosed &error) {
        EXPECT_STREQ(error.what(), "Connection Closed Gracefully.");
    }
    EXPECT_EQ(m_disconnectedCount, 1);
    EXPECT_FALSE(m_client.isConnected());
    EXPECT_THROW(m_client.changeDirUp(), ConnectionClosed);
}

TEST_F(ScriptedSession, SilentServerRunsIntoTheReplyTimeLimit)
{
    m_server.reply("220 Ready").receive().start(); // then never answers
    try {
        m_client.connect();
        FAIL() << "connected";
    } catch (const FtpTimeoutError &error) {
        EXPECT_STREQ(error.what(), "The server did not reply within 0.6 seconds.");
    }
    EXPECT_FALSE(m_client.isConnected());
    EXPECT_EQ(m_disconnectedCount, 1);
    m_server.finish();
}

TEST_F(ScriptedSession, EndlessLineFailsCleanly)
{
    m_server.send("220 " + std::string(70000, 'x')).start();
    EXPECT_THROW(m_client.connect(), FtpProtocolError);
    EXPECT_FALSE(m_client.isConnected());
    m_server.finish();
}

TEST_F(ScriptedSession, LineBreakInANameIsRefusedBeforeSending)
{
    scriptLogin(m_server).answer("257 \"/\"").start();
    m_client.connect();
    EXPECT_THROW(m_client.changeDir("a\r\nDELE index.html"), FtpError);
    EXPECT_THROW(m_client.deleteFile("x\nDELE y"), FtpError);
    EXPECT_THROW(m_client.rename("a", "b\rDELE c"), FtpError);
    EXPECT_THROW(m_client.retrieve("a\r\nDELE b", (m_folder / "a").string(), true), FtpError);
    EXPECT_THROW(m_client.list("\n"), FtpError);
    EXPECT_TRUE(m_client.isConnected());
    EXPECT_EQ(m_client.currentDir(), "/");
    EXPECT_EQ(finish(), with(loginCommands, {"PWD", "Quit"}));
    EXPECT_TRUE(folderEntries().empty());
}

TEST_F(ScriptedSession, ActiveListSendsPortOfTheControlAddress)
{
    scriptLogin(m_server)
        .answer("200 PORT ok")
        .answer("150 Opening data connection")
        .sendData("-rw-r--r-- 1 u g 5 Jan 1 index.html\r\ndrwxr-xr-x 2 u g 0 Jan 1 img\nlast")
        .reply("226 Transfer complete")
        .start();
    m_client.connect();
    EXPECT_EQ(m_client.list(""),
              (Commands{"-rw-r--r-- 1 u g 5 Jan 1 index.html", "drwxr-xr-x 2 u g 0 Jan 1 img", "last"}));
    const Commands commands = finish();
    ASSERT_EQ(commands.size(), 7u);
    EXPECT_TRUE(std::regex_match(commands[4], std::regex(R"(PORT 127,0,0,1,\d{1,3},\d{1,3})"))) << commands[4];
    EXPECT_EQ(commands[5], "list");
}

TEST_F(ScriptedSession, RefusedRetrieveLeavesTheOldFileAlone)
{
    const fs::path target = m_folder / "index.html";
    writeFile(target, "my page");
    scriptLogin(m_server).answer("200 PORT ok").answer("550 index.html: No such file or directory.").start();
    m_client.connect();
    try {
        m_client.retrieve("index.html", target.string(), true);
        FAIL() << "no error";
    } catch (const FtpReplyError &error) {
        EXPECT_EQ(error.code(), 550);
        EXPECT_STREQ(error.what(), "550 index.html: No such file or directory.");
    }
    EXPECT_EQ(readFile(target), "my page");
    EXPECT_EQ(folderEntries(), std::vector<fs::path>{"index.html"});
    finish();
}

TEST_F(ScriptedSession, BrokenEndOfTransferLeavesNoFile)
{
    const fs::path target = m_folder / "new.html";
    scriptLogin(m_server)
        .answer("200 PORT ok")
        .answer("150 Opening")
        .sendData("partial")
        .reply("451 Local error in processing")
        .start();
    m_client.connect();
    EXPECT_THROW(m_client.retrieve("new.html", target.string(), true), FtpReplyError);
    EXPECT_TRUE(folderEntries().empty());
    finish();
}

TEST_F(ScriptedSession, ExistingDestinationWithoutOverwriteSendsNothing)
{
    const fs::path target = m_folder / "index.html";
    writeFile(target, "mine");
    scriptLogin(m_server).start();
    m_client.connect();
    try {
        m_client.retrieve("index.html", target.string(), false);
        FAIL() << "overwrote";
    } catch (const FtpError &error) {
        EXPECT_STREQ(error.what(), "Destination file already exists.");
    }
    EXPECT_EQ(readFile(target), "mine");
    EXPECT_EQ(finish(), with(loginCommands, {"Quit"}));
}

TEST_F(ScriptedSession, ActiveStoreSendsTheWholeFile)
{
    const fs::path source = m_folder / "up.bin";
    std::string bytes;
    for (int index = 0; index < 300000; ++index)
        bytes += static_cast<char>(index * 7);
    writeFile(source, bytes);
    scriptLogin(m_server).answer("200 PORT ok").answer("150 Ok to send").receiveData().reply("226 Done").start();
    m_client.connect();
    m_client.store(source.string(), "up.bin");
    EXPECT_EQ(finish()[5], "STOR up.bin");
    EXPECT_EQ(m_server.receivedData(), bytes);
}

TEST_F(ScriptedSession, PassiveUploadAcceptsRestartMarker)
{
    const fs::path source = m_folder / "empty.txt";
    writeFile(source, "");
    m_client.settings().dataMode = FtpDataMode::Passive;
    scriptLogin(m_server)
        .receive()
        .offerExtendedPassive()
        .answer("110 Restart marker (still accepted for STOR)")
        .receiveData()
        .reply("250 Stored")
        .start();
    m_client.connect();
    m_client.store(source.string(), "empty.txt");
    EXPECT_EQ(finish(), with(loginCommands, {"EPSV", "STOR empty.txt", "Quit"}));
    EXPECT_EQ(m_server.receivedData(), "");
}

// How a data connection is asked for, by mode and by what the server refuses: two listings
// in a row show that a refused way is not asked for again on the same connection.
struct DataModeCase
{
    const char *name;
    FtpDataMode mode;
    bool refuseExtended;
    bool refusePassive;
    Commands commands; // after the login
};

class DataModes : public ScriptedSession, public testing::WithParamInterface<DataModeCase>
{};

TEST_P(DataModes, FallBackOnlyAsTheModeAllows)
{
    const DataModeCase &c = GetParam();
    m_client.settings().dataMode = c.mode;
    scriptLogin(m_server);
    for (int round = 0; round < 2; ++round) {
        const bool active = c.mode == FtpDataMode::Active || (c.refuseExtended && c.refusePassive);
        if (c.mode != FtpDataMode::Active && round == 0) {
            if (c.refuseExtended)
                m_server.answer("500 EPSV not understood");
            if (c.refuseExtended && c.refusePassive)
                m_server.answer("502 PASV not implemented");
        }
        if (active && c.mode == FtpDataMode::Passive)
            break; // refused for good: no active mode behind the user's back
        if (active)
            m_server.answer("200 PORT ok");
        else if (c.refuseExtended)
            m_server.receive().offerPassive();
        else
            m_server.receive().offerExtendedPassive();
        m_server.answer("150 Here it comes").sendData("a.html\r\n").reply("226 Done");
    }
    m_server.start();
    m_client.connect();
    if (c.mode == FtpDataMode::Passive && c.refusePassive) {
        EXPECT_THROW(m_client.list(""), FtpReplyError);
    } else {
        EXPECT_EQ(m_client.list(""), Commands{"a.html"});
        EXPECT_EQ(m_client.list(""), Commands{"a.html"});
    }
    Commands commands = finish();
    commands.erase(commands.begin(), commands.begin() + static_cast<std::ptrdiff_t>(loginCommands.size()));
    for (std::string &command : commands) {
        if (command.rfind("PORT ", 0) == 0)
            command = "PORT";
    }
    EXPECT_EQ(commands, c.commands);
}

INSTANTIATE_TEST_SUITE_P(
    Ways,
    DataModes,
    testing::Values(
        DataModeCase{"ActiveSendsPort", FtpDataMode::Active, false, false, {"PORT", "list", "PORT", "list", "Quit"}},
        DataModeCase{"PassiveSendsEpsv", FtpDataMode::Passive, false, false, {"EPSV", "list", "EPSV", "list", "Quit"}},
        DataModeCase{"EpsvRefusedTurnsToPasv",
                     FtpDataMode::Passive,
                     true,
                     false,
                     {"EPSV", "PASV", "list", "PASV", "list", "Quit"}},
        DataModeCase{"PassiveRefusedStaysRefused", FtpDataMode::Passive, true, true, {"EPSV", "PASV", "Quit"}},
        DataModeCase{"AutoTurnsToActiveWhenPassiveIsRefused",
                     FtpDataMode::Auto,
                     true,
                     true,
                     {"EPSV", "PASV", "PORT", "list", "PORT", "list", "Quit"}},
        DataModeCase{"AutoPrefersEpsv", FtpDataMode::Auto, false, false, {"EPSV", "list", "EPSV", "list", "Quit"}}),
    [](const testing::TestParamInfo<DataModeCase> &info) { return std::string(info.param.name); });

TEST_F(ScriptedSession, PassiveReplyNamingAnotherHostIsIgnored)
{
    // The reply names 127.0.0.3, where nothing listens: the data must come from the
    // control connection's peer, 127.0.0.1, on the reply's port.
    m_client.settings().dataMode = FtpDataMode::Passive;
    scriptLogin(m_server)
        .answer("502 EPSV not implemented")
        .receive()
        .offerPassive("127,0,0,3")
        .answer("150 Opening")
        .sendData("only.html")
        .reply("226 Done")
        .start();
    m_client.connect();
    EXPECT_EQ(m_client.list(""), Commands{"only.html"});
    finish();
}

TEST_F(ScriptedSession, MalformedPassiveReplyIsAnError)
{
    m_client.settings().dataMode = FtpDataMode::Passive;
    scriptLogin(m_server).answer("229 Entering Extended Passive Mode (|||0|)").answer("257 \"/\"").start();
    m_client.connect();
    EXPECT_THROW(m_client.list(""), FtpProtocolError);
    EXPECT_EQ(m_client.currentDir(), "/");
    EXPECT_EQ(finish(), with(loginCommands, {"EPSV", "PWD", "Quit"}));
}

TEST_F(ScriptedSession, DataConnectionFromAnotherAddressIsDropped)
{
    const fs::path target = m_folder / "secret.html";
    scriptLogin(m_server)
        .answer("200 PORT ok")
        .answer("150 Opening")
        .intrude()
        .reply("425 Can't open data connection.")
        .answer("257 \"/\"")
        .start();
    m_client.connect();
    try {
        m_client.retrieve("secret.html", target.string(), true);
        FAIL() << "no error";
    } catch (const FtpReplyError &error) {
        EXPECT_STREQ(error.what(), "425 Can't open data connection.");
    }
    EXPECT_TRUE(folderEntries().empty());
    // The 425 ended the transfer, so the next command gets its own reply.
    EXPECT_EQ(m_client.currentDir(), "/");
    finish();
    EXPECT_TRUE(m_server.intruderDropped());
}

TEST_F(ScriptedSession, ServerDataIsTakenAfterAnIntruderWasDropped)
{
    const fs::path target = m_folder / "page.html";
    scriptLogin(m_server)
        .answer("200 PORT ok")
        .answer("150 Opening")
        .intrude()
        .sendData("from the server")
        .reply("226 Done")
        .start();
    m_client.connect();
    m_client.retrieve("page.html", target.string(), true);
    EXPECT_EQ(readFile(target), "from the server");
    finish();
    EXPECT_TRUE(m_server.intruderDropped());
}

TEST_F(ScriptedSession, StalledDataConnectionRunsIntoItsTimeLimit)
{
    const fs::path target = m_folder / "slow.html";
    m_client.settings().dataMode = FtpDataMode::Passive;
    scriptLogin(m_server)
        .receive()
        .offerExtendedPassive()
        .answer("150 Opening")
        .stallData()
        .reply("426 Connection closed; transfer aborted.")
        .reply("226 Abort successful")
        .answer("257 \"/\"")
        .start();
    m_client.connect();
    try {
        m_client.retrieve("slow.html", target.string(), true);
        FAIL() << "no error";
    } catch (const FtpTimeoutError &error) {
        EXPECT_STREQ(error.what(), "The data transfer stopped: nothing moved for 0.6 seconds.");
    }
    EXPECT_TRUE(folderEntries().empty());
    EXPECT_EQ(m_client.currentDir(), "/");
    finish();
}

// The waits of an upload report as they go, but a server that takes nothing still runs into the
// limit: its system's buffers fill, and nothing it holds ever drains.
TEST_F(ScriptedSession, StalledUploadRunsIntoItsTimeLimit)
{
    const fs::path source = m_folder / "big.bin";
    writeFile(source, std::string(64 * 1024 * 1024, 'b'));
    m_client.settings().dataMode = FtpDataMode::Passive;
    // The client gives up after a second; the server says so a second later.
    m_client.settings().timeLimits.dataIdle = std::chrono::seconds(1);
    m_client.settings().timeLimits.reply = std::chrono::seconds(3);
    scriptLogin(m_server)
        .receive()
        .offerExtendedPassive()
        .answer("150 Ok to send")
        .holdData(2000)
        .reply("426 Connection closed; transfer aborted.")
        .reply("226 Abort successful")
        .answer("250 Deleted")
        .answer("257 \"/\"")
        .start();
    m_client.connect();
    int reports = 0;
    try {
        m_client.store(source.string(), "big.bin", [&](std::uint64_t, std::uint64_t) {
            ++reports;
            return true;
        });
        FAIL() << "no error";
    } catch (const FtpTimeoutError &error) {
        EXPECT_EQ(error.fault(), FtpFault::IdleTimeout);
        ASSERT_TRUE(error.unfinishedUpload().has_value());
        EXPECT_TRUE(error.unfinishedUpload()->removed);
    }
    EXPECT_GE(reports, 2); // the size, and at least one while it waited
    EXPECT_EQ(m_client.currentDir(), "/");
    finish();
}

TEST_F(ScriptedSession, AbortReadsItsReply)
{
    scriptLogin(m_server).answer("225 No transfer to abort").answer("257 \"/www\"").start();
    m_client.connect();
    m_client.abort();
    EXPECT_EQ(m_client.currentDir(), "/www");
    EXPECT_EQ(finish(), with(loginCommands, {"ABOR", "PWD", "Quit"}));
}

// A server that had moved no data yet answers ABOR with 225 alone and drops the transfer's own
// final reply (pyftpdlib does): waiting for a second reply would lose the connection.
TEST_F(ScriptedSession, StoppedUploadAnsweredOnlyWith225StaysInStep)
{
    const fs::path source = m_folder / "big.bin";
    writeFile(source, std::string(256 * 1024, 'b'));
    m_client.settings().dataMode = FtpDataMode::Passive;
    scriptLogin(m_server)
        .offerExtendedPassive()
        .answer("150 Opening")
        .receiveDataUntilCommand()
        .answer("225 ABOR command successful; data channel closed.")
        .answer("250 DELE ok")
        .answer("257 \"/\"")
        .start();
    m_client.connect();
    const FtpClient::Progress stopAtOnce = [](std::uint64_t, std::uint64_t) { return false; };
    EXPECT_THROW(m_client.store(source.string(), "big.bin", stopAtOnce), FtpCancelledError);
    EXPECT_TRUE(m_client.isConnected());
    EXPECT_EQ(m_client.currentDir(), "/");
    EXPECT_EQ(finish(), with(loginCommands, {"EPSV", "STOR big.bin", "ABOR", "DELE big.bin", "PWD", "Quit"}));
}

} // namespace
