#include "transfer/publishcrew.h"

#include "transfer/ftpjobcontext.h"
#include "transfer/remotefiles.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace {

// A connection that does nothing but say whether it stands; its others are made as the test
// says: refused at their login, or lost after a number of tasks.
class FakeFiles final : public RemoteFiles
{
public:
    struct Other
    {
        bool refused = false;
        int tasksBeforeLost = -1; // -1: never lost
    };

    explicit FakeFiles(std::vector<Other> others = {}) : m_others(std::move(others)) {}
    FakeFiles(int id, Other how) : m_id(id), m_how(how) {}

    int id() const { return m_id; }
    // One task's work: false once the connection is lost.
    bool work()
    {
        if (m_how.tasksBeforeLost == 0)
            m_connected = false;
        --m_how.tasksBeforeLost;
        return m_connected;
    }

    std::unique_ptr<RemoteFiles> another() override
    {
        if (m_others.empty())
            return nullptr;
        const Other how = m_others.front();
        m_others.erase(m_others.begin());
        return std::make_unique<FakeFiles>(++m_made, how);
    }
    void connectAgain() override
    {
        if (m_how.refused)
            throw std::runtime_error("421 Too many connections");
        m_connected = true;
    }
    bool isConnected() override { return m_connected; }

    void setOnConnected(std::function<void()>) override {}
    void setOnLoggedIn(std::function<void()>) override {}
    void setOnDisconnected(std::function<void()>) override {}
    void setTimeLimits(const TransferTimeLimits &) override {}
    void connect(const RemoteLogin &) override {}
    void quit() override { m_connected = false; }
    void abort() override {}
    std::optional<ServerCertificate> serverCertificate() const override { return std::nullopt; }
    std::string currentDir() override { return "/"; }
    void changeDir(const std::string &) override {}
    void changeDirUp() override {}
    RemoteItems list(const std::string &, const Progress &, Skipped *) override { return {}; }
    void startFullListings() override {}
    void resumeFullListings() override {}
    RemoteItems listFully(const std::string &) override { return {}; }
    bool fullListingsShowHiddenNames() const override { return true; }
    std::optional<RemoteDate> exactTime(const std::string &) override { return std::nullopt; }
    void
    retrieve(const std::string &, const std::string &, bool, std::optional<std::uint64_t>, const Progress &) override
    {}
    void store(const std::string &, const std::string &, const Progress &) override {}
    void rename(const std::string &, const std::string &) override {}
    void makeDir(const std::string &) override {}
    void removeDir(const std::string &) override {}
    void remove(const std::string &) override {}
    void setPermissions(const std::string &, int) override {}
    void interrupt() override {}
    void resetInterrupt() override {}

private:
    int m_id = 0;
    Other m_how;
    bool m_connected = true;
    std::vector<Other> m_others;
    int m_made = 0;
};

struct CrewCase
{
    const char *name;
    std::vector<FakeFiles::Other> others;
    int used; // connections that took part, the session's included
};

class Crew : public testing::TestWithParam<CrewCase>
{};

// Every task runs to its end exactly once, also the one a lost connection gave back, and
// tasks added on the way; a connection refused at its login takes none.
TEST_P(Crew, RunsEveryTaskOnceWhateverBecomesOfTheOtherConnections)
{
    const CrewCase &c = GetParam();
    FakeFiles session(c.others);
    FtpJobContext context(
        session, [](const JobProgress &) {}, [] { return false; });
    PublishCrew crew(context, PublishCrew::maxConnections);
    std::mutex mutex;
    std::map<int, int> done; // task: times it ran to its end
    int tasks = 12;
    crew.run(tasks, [&](FtpJobContext &on, int task) {
        auto &files = static_cast<FakeFiles &>(on.files());
        if (!files.work())
            return PublishCrew::End::ConnectionLost;
        const std::lock_guard lock(mutex);
        ++done[task];
        if (task == 0) { // as a folder's listing names the folders below it
            tasks += 3;
            crew.more(3);
        }
        return PublishCrew::End::Done;
    });
    ASSERT_EQ(done.size(), 15u);
    for (const auto &[task, times] : done)
        EXPECT_EQ(times, 1) << "task " << task;
    EXPECT_EQ(crew.connectionsUsed(), c.used);
}

INSTANTIATE_TEST_SUITE_P(Servers,
                         Crew,
                         testing::Values(CrewCase{"SessionsAlone", {}, 1},
                                         CrewCase{"ThreeMore", {{}, {}, {}}, 4},
                                         CrewCase{"SecondLoginsRefused", {{true}, {true}, {true}}, 1},
                                         CrewCase{"OthersLostOnTheWay", {{false, 1}, {false, 0}, {true}}, 3}),
                         [](const testing::TestParamInfo<CrewCase> &info) { return std::string(info.param.name); });

} // namespace
