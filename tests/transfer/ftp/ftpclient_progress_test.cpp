#include "support/ftp/localfiles.h"
#include "support/ftp/pyftpdserver.h"
#include "support/ftp/testcertificates.h"
#include "support/ftp/vsftpdserver.h"
#include "transfer/ftp/ftpclient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Bytes per second the servers take, and a file several times what the client's system takes
// into its buffers at once.
constexpr std::size_t kRate = 400 * 1024;
constexpr std::size_t kSize = 5 * kRate;

struct SlowServerCase
{
    const char *name;
    bool ftps; // vsftpd with FTPS, else pyftpdlib with plain FTP
};

class SlowServerUpload : public testing::TestWithParam<SlowServerCase>
{};

// Over a slow link the system takes a whole file into its buffers at once: the progress must be
// what the server has, reported while it takes it, not what was written.
TEST_P(SlowServerUpload, ReportsWhatTheServerHasAtLeastEveryHalfSecond)
{
    if (GetParam().ftps && !VsftpdServer::available())
        GTEST_SKIP() << "vsftpd cannot run here";
    std::unique_ptr<PyFtpdServer> plain;
    std::unique_ptr<VsftpdServer> tls;
    FtpClient client;
    FtpSettings &settings = client.settings();
    settings.host = "127.0.0.1";
    settings.dataMode = FtpDataMode::Passive;
    std::string folder;
    if (GetParam().ftps) {
        tls = std::make_unique<VsftpdServer>(
            TestCertificates::get().serverFile(TestCertificates::Kind::Trusted), false, kRate);
        settings.port = tls->port();
        settings.user = tls->user();
        settings.password = tls->password();
        settings.security = FtpSecurity::ExplicitTls;
        settings.trustedCaFile = TestCertificates::get().authorityFile();
        folder = "up/";
    } else {
        plain = std::make_unique<PyFtpdServer>(PyFtpdServer::CommandLog::Off, kRate);
        settings.port = plain->port();
        settings.user = plain->user();
        settings.password = plain->password();
    }
    const fs::path local = fs::temp_directory_path() / ("qzweb-slow-upload-" + std::to_string(::getpid()));
    std::string bytes(kSize, '\0');
    std::mt19937 generator(1);
    std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<char>(generator()); });
    writeFile(local, bytes);
    client.connect();

    std::vector<std::pair<Clock::duration, std::uint64_t>> reports;
    const Clock::time_point start = Clock::now();
    client.store(local.string(), folder + "slow.bin", [&](std::uint64_t done, std::uint64_t total) {
        EXPECT_EQ(total, kSize);
        reports.emplace_back(Clock::now() - start, done);
        return true;
    });
    const Clock::duration took = Clock::now() - start;
    client.quit();
    fs::remove(local);

    ASSERT_GE(reports.size(), 4u);
    EXPECT_EQ(reports.back().second, kSize);
    std::uint64_t previous = 0;
    Clock::duration previousTime{};
    Clock::duration longestGap{};
    std::uint64_t afterOneSecond = kSize;
    for (const auto &[when, done] : reports) {
        EXPECT_GE(done, previous);
        // Once the server's system has every byte, nothing changes until its reply.
        if (previous < kSize)
            longestGap = std::max(longestGap, when - previousTime);
        if (when >= std::chrono::seconds(1) && afterOneSecond == kSize)
            afterOneSecond = done;
        previous = done;
        previousTime = when;
    }
    // A second in, the server has less than three quarters, far from the whole file the
    // client's system took at once.
    EXPECT_LT(afterOneSecond, kSize * 3 / 4) << "after 1 s: " << afterOneSecond << " of " << kSize;
    // Half a second between reports, with room for a busy machine; the whole upload took seconds.
    EXPECT_LT(longestGap, std::chrono::milliseconds(1500));
    EXPECT_GT(took, std::chrono::seconds(2));
}

INSTANTIATE_TEST_SUITE_P(Servers,
                         SlowServerUpload,
                         testing::Values(SlowServerCase{"PlainPyftpdlib", false}, SlowServerCase{"FtpsVsftpd", true}),
                         [](const testing::TestParamInfo<SlowServerCase> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
