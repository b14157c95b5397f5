#include "support/ftp/localfiles.h"
#include "support/ftp/pyftpdserver.h"
#include "transfer/ftp/ftpcancellederror.h"
#include "transfer/ftp/ftpclient.h"
#include "transfer/ftp/ftpreplyerror.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

std::string randomBytes(std::size_t size)
{
    std::mt19937 generator(static_cast<unsigned>(size));
    std::string bytes(size, '\0');
    for (char &byte : bytes)
        byte = static_cast<char>(generator());
    return bytes;
}

bool listed(const std::vector<std::string> &lines, const std::string &name)
{
    return std::any_of(lines.begin(), lines.end(), [&](const std::string &line) {
        return line.size() >= name.size() && line.compare(line.size() - name.size(), name.size(), name) == 0;
    });
}

enum class Mode {
    Active,
    Passive,
};

// One pyftpdlib server for the whole suite: starting Python takes a moment.
class RealServerSession : public testing::TestWithParam<Mode>
{
protected:
    static void SetUpTestSuite() { s_server = std::make_unique<PyFtpdServer>(); }
    static void TearDownTestSuite() { s_server.reset(); }

    void SetUp() override
    {
        m_local = fs::path(s_server->root()).parent_path()
            / ("qzweb-ftp-local-" + std::to_string(::getpid()) + (GetParam() == Mode::Active ? "-a" : "-p"));
        fs::remove_all(m_local);
        fs::create_directories(m_local);
        FtpSettings &settings = m_client.settings();
        settings.host = "127.0.0.1";
        settings.port = s_server->port();
        settings.user = s_server->user();
        settings.password = s_server->password();
        settings.dataMode = GetParam() == Mode::Passive ? FtpDataMode::Passive : FtpDataMode::Active;
        settings.timeLimits.connect = std::chrono::seconds(5);
        settings.timeLimits.reply = std::chrono::seconds(5);
        settings.timeLimits.dataAccept = std::chrono::seconds(5);
        settings.timeLimits.dataIdle = std::chrono::seconds(5);
        settings.timeLimits.abortReply = std::chrono::seconds(2);
        m_client.connect();
        // Tests share the server's folder: each works in a folder of its own.
        m_remote = std::string(GetParam() == Mode::Active ? "active-" : "passive-")
            + testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(m_remote.begin(), m_remote.end(), '/', '-');
    }

    void TearDown() override
    {
        m_client.quit();
        fs::remove_all(m_local);
    }

    static std::unique_ptr<PyFtpdServer> s_server;
    FtpClient m_client;
    fs::path m_local;
    std::string m_remote;
};

std::unique_ptr<PyFtpdServer> RealServerSession::s_server;

TEST_P(RealServerSession, FoldersAndNames)
{
    EXPECT_EQ(m_client.currentDir(), "/");
    m_client.makeDir(m_remote);
    m_client.changeDir(m_remote);
    EXPECT_EQ(m_client.currentDir(), "/" + m_remote);
    m_client.makeDir("sub");
    m_client.changeDir("sub");
    m_client.changeDirUp();
    EXPECT_EQ(m_client.currentDir(), "/" + m_remote);
    m_client.removeDir("sub");
    EXPECT_THROW(m_client.changeDir("sub"), FtpReplyError);
    m_client.changeDirUp();
    m_client.removeDir(m_remote);
    EXPECT_FALSE(fs::exists(fs::path(s_server->root()) / m_remote));
    EXPECT_TRUE(m_client.isConnected());
}

TEST_P(RealServerSession, BinaryFilesRoundTrip)
{
    m_client.makeDir(m_remote);
    m_client.changeDir(m_remote);
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{3 * 1024 * 1024 + 17}}) {
        const std::string name = "file" + std::to_string(size) + ".bin";
        const std::string bytes = randomBytes(size);
        writeFile(m_local / name, bytes);
        m_client.store((m_local / name).string(), name);
        EXPECT_EQ(readFile(fs::path(s_server->root()) / m_remote / name), bytes) << name;
        const fs::path back = m_local / ("back-" + name);
        m_client.retrieve(name, back.string(), false);
        EXPECT_EQ(readFile(back), bytes) << name;
    }
    const std::vector<std::string> lines = m_client.list("");
    EXPECT_EQ(lines.size(), 3u);
    EXPECT_TRUE(listed(lines, "file0.bin"));
    EXPECT_TRUE(listed(lines, "file3145745.bin"));
}

TEST_P(RealServerSession, RenameDeleteAndPermissions)
{
    m_client.makeDir(m_remote);
    writeFile(m_local / "a.html", "<p>a</p>");
    m_client.store((m_local / "a.html").string(), m_remote + "/a.html");
    m_client.rename(m_remote + "/a.html", m_remote + "/b.html");
    m_client.site("chmod 600 " + m_remote + "/b.html");
    struct stat status
    {};
    ASSERT_EQ(::stat((fs::path(s_server->root()) / m_remote / "b.html").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    const std::vector<std::string> lines = m_client.list(m_remote);
    EXPECT_TRUE(listed(lines, "b.html"));
    EXPECT_FALSE(listed(lines, "a.html"));
    m_client.deleteFile(m_remote + "/b.html");
    EXPECT_TRUE(m_client.list(m_remote).empty());
    try {
        m_client.deleteFile(m_remote + "/b.html");
        FAIL() << "deleted twice";
    } catch (const FtpReplyError &error) {
        EXPECT_EQ(error.code(), 550);
    }
}

TEST_P(RealServerSession, MissingRemoteFileKeepsLocalFile)
{
    const fs::path target = m_local / "keep.html";
    writeFile(target, "keep me");
    EXPECT_THROW(m_client.retrieve("no-such-file.html", target.string(), true), FtpReplyError);
    EXPECT_EQ(readFile(target), "keep me");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_local), fs::directory_iterator()), 1);
    EXPECT_EQ(m_client.currentDir(), "/"); // still in step with the server
}

// A transfer stopped half-way (the user cancelled) is aborted with ABOR; a real server's
// answers to that must all be read, so the next command gets its own reply.
TEST_P(RealServerSession, StoppedTransfersLeaveTheSessionInStep)
{
    const std::string bytes = randomBytes(16 * 1024 * 1024);
    writeFile(m_local / "big.bin", bytes);
    writeFile(fs::path(s_server->root()) / ("served-" + m_remote + ".bin"), bytes);
    const FtpClient::Progress stopAtOnce = [](std::uint64_t, std::uint64_t) { return false; };
    // This is about staying in step once the server has answered, not about the short wait for
    // that answer: a busy machine can make the Python server slower than the product's limit.
    m_client.settings().timeLimits.abortReply = std::chrono::seconds(20);
    EXPECT_THROW(m_client.store((m_local / "big.bin").string(), "stored-" + m_remote + ".bin", stopAtOnce),
                 FtpCancelledError);
    EXPECT_FALSE(fs::exists(fs::path(s_server->root()) / ("stored-" + m_remote + ".bin"))); // no cut file
    EXPECT_EQ(m_client.currentDir(), "/");
    const fs::path target = m_local / "back.bin";
    EXPECT_THROW(m_client.retrieve("served-" + m_remote + ".bin", target.string(), true, bytes.size(), stopAtOnce),
                 FtpCancelledError);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(m_client.currentDir(), "/");
    EXPECT_TRUE(m_client.isConnected());
}

INSTANTIATE_TEST_SUITE_P(Modes,
                         RealServerSession,
                         testing::Values(Mode::Active, Mode::Passive),
                         [](const testing::TestParamInfo<Mode> &info) {
                             return std::string(info.param == Mode::Active ? "Active" : "Passive");
                         });

} // namespace
