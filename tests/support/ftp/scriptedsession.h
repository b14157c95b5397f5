#pragma once

#include "support/ftp/scriptedftpserver.h"
#include "transfer/ftp/ftpclient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using Commands = std::vector<std::string>;

inline const Commands loginCommands{"user alice", "pass secret", "type I", "syst"};

// The replies to loginCommands. The commands after the login come in one go: the server reads
// both before it answers either, as it would over a long round trip.
inline ScriptedFtpServer &scriptLogin(ScriptedFtpServer &server)
{
    return server.reply("220 Ready")
        .answer("331 Password required")
        .answer("230 Logged in")
        .receive()
        .receive()
        .reply("200 Type set to I")
        .reply("215 UNIX Type: L8");
}

inline Commands with(Commands first, const Commands &more)
{
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

// A fresh empty folder named after the running test, for files that go over the wire.
inline std::filesystem::path freshTestFolder()
{
    std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-'); // parameterized names hold a '/'
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qzweb-ftp-test-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

// Settings for a client of the scripted server: its port, the scripted login and short time
// limits, so that a client waiting for something the script never sends fails quickly.
inline void useScriptedServer(FtpSettings &settings, const ScriptedFtpServer &server)
{
    settings.host = "127.0.0.1";
    settings.port = server.port();
    settings.user = "alice";
    settings.password = "secret";
    settings.timeLimits.connect = std::chrono::milliseconds(1000);
    settings.timeLimits.reply = std::chrono::milliseconds(600);
    settings.timeLimits.dataAccept = std::chrono::milliseconds(600);
    settings.timeLimits.dataIdle = std::chrono::milliseconds(600);
    settings.timeLimits.abortReply = std::chrono::milliseconds(300);
}

// A client on the scripted server, counting its notifications.
class ScriptedSession : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = freshTestFolder();
        useScriptedServer(m_client.settings(), m_server);
        m_client.setOnConnected([this] { ++m_connectedCount; });
        m_client.setOnDisconnected([this] { ++m_disconnectedCount; });
    }

    void TearDown() override { std::filesystem::remove_all(m_folder); }

    // Ends the session and waits for the server to finish its script.
    Commands finish()
    {
        m_client.quit();
        m_server.finish();
        EXPECT_EQ(m_server.failure(), "");
        return m_server.commands();
    }

    std::vector<std::filesystem::path> folderEntries() const
    {
        std::vector<std::filesystem::path> entries;
        for (const auto &entry : std::filesystem::directory_iterator(m_folder))
            entries.push_back(entry.path().filename());
        std::sort(entries.begin(), entries.end());
        return entries;
    }

    ScriptedFtpServer m_server;
    FtpClient m_client;
    std::filesystem::path m_folder;
    int m_connectedCount = 0;
    int m_disconnectedCount = 0;
};
