#include "support/ftp/hostiletlsserver.h"
#include "support/ftp/localfiles.h"
#include "support/ftp/scriptedsession.h"
#include "support/ftp/testcertificates.h"
#include "support/ftp/vsftpdserver.h"
#include "transfer/ftp/ftpcertificate.h"
#include "transfer/ftp/ftpclient.h"
#include "transfer/ftp/ftpreplyerror.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

using Kind = TestCertificates::Kind;

void useVsftpd(FtpSettings &settings, const VsftpdServer &server, const std::string &host)
{
    settings.host = host;
    settings.port = server.port();
    settings.user = server.user();
    settings.password = server.password();
    settings.security = FtpSecurity::ExplicitTls;
    settings.trustedCaFile = TestCertificates::get().authorityFile();
    settings.timeLimits.connect = std::chrono::seconds(5);
    settings.timeLimits.reply = std::chrono::seconds(5);
    settings.timeLimits.dataAccept = std::chrono::seconds(5);
    settings.timeLimits.dataIdle = std::chrono::seconds(5);
}

bool listed(const std::vector<std::string> &lines, const std::string &name)
{
    return std::any_of(lines.begin(), lines.end(), [&](const std::string &line) {
        return line.size() >= name.size() && line.compare(line.size() - name.size(), name.size(), name) == 0;
    });
}

struct SessionCase
{
    const char *name;
    FtpDataMode mode;
    bool ipv6;
};

class FtpsSession : public testing::TestWithParam<SessionCase>
{};

// vsftpd refuses every data connection that does not resume the control connection's TLS
// session, so each transfer here passing shows the session was resumed.
TEST_P(FtpsSession, ListUploadDownloadDelete)
{
    if (!VsftpdServer::available())
        GTEST_SKIP() << "vsftpd needs root";
    if (GetParam().ipv6 && !VsftpdServer::hasIpv6Loopback())
        GTEST_SKIP() << "no IPv6 loopback";
    const VsftpdServer server(TestCertificates::get().serverFile(Kind::Trusted), GetParam().ipv6);
    const fs::path local = freshTestFolder();
    std::string bytes(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t index = 0; index < bytes.size(); ++index)
        bytes[index] = static_cast<char>(index * 131 % 251);
    writeFile(local / "page.bin", bytes);

    FtpClient client;
    useVsftpd(client.settings(), server, GetParam().ipv6 ? "::1" : "127.0.0.1");
    client.settings().dataMode = GetParam().mode;
    client.connect();
    client.store((local / "page.bin").string(), "up/page.bin");
    EXPECT_TRUE(listed(client.list("up"), "page.bin"));
    client.retrieve("up/page.bin", (local / "back.bin").string(), false);
    EXPECT_EQ(readFile(local / "back.bin"), bytes);
    client.deleteFile("up/page.bin");
    EXPECT_FALSE(listed(client.list("up"), "page.bin"));
    client.quit();
    fs::remove_all(local);
}

INSTANTIATE_TEST_SUITE_P(Modes,
                         FtpsSession,
                         testing::Values(SessionCase{"Passive", FtpDataMode::Passive, false},
                                         SessionCase{"Active", FtpDataMode::Active, false},
                                         SessionCase{"PassiveIpv6", FtpDataMode::Passive, true},
                                         SessionCase{"ActiveIpv6", FtpDataMode::Active, true}),
                         [](const testing::TestParamInfo<SessionCase> &info) { return std::string(info.param.name); });

// The other side of the test above: a client that does not resume the session is turned away.
TEST(FtpsServer, RefusesDataConnectionsWithoutSessionReuse)
{
    if (!VsftpdServer::available() || std::system("curl --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs root, vsftpd and curl";
    const VsftpdServer server(TestCertificates::get().serverFile(Kind::Trusted));
    const std::string url = "ftp://127.0.0.1:" + std::to_string(server.port()) + "/up/";
    const std::string curl =
        "curl -s --max-time 10 --ssl-reqd --cacert '" + TestCertificates::get().authorityFile() + "' -u anonymous:x ";
    EXPECT_EQ(std::system((curl + url + " >/dev/null").c_str()), 0);
    EXPECT_NE(std::system((curl + "--no-sessionid " + url + " >/dev/null").c_str()), 0);
}

struct CertificateCase
{
    const char *name;
    Kind kind;
    unsigned problems;
};

class CertificateCheck : public testing::TestWithParam<CertificateCase>
{};

TEST_P(CertificateCheck, RefusesUntilTheFingerprintIsAccepted)
{
    if (!VsftpdServer::available())
        GTEST_SKIP() << "vsftpd needs root";
    const VsftpdServer server(TestCertificates::get().serverFile(GetParam().kind));
    FtpClient client;
    useVsftpd(client.settings(), server, "127.0.0.1");
    int disconnected = 0;
    client.setOnDisconnected([&] { ++disconnected; });
    FtpCertificate refused;
    try {
        client.connect();
        FAIL() << "the certificate passed";
    } catch (const FtpCertificateError &error) {
        refused = error.certificate();
    }
    EXPECT_FALSE(client.isConnected());
    EXPECT_EQ(disconnected, 1);
    EXPECT_EQ(refused.problems, GetParam().problems);
    EXPECT_EQ(refused.host, "127.0.0.1");
    EXPECT_EQ(refused.port, server.port());
    EXPECT_FALSE(refused.names.empty());
    EXPECT_EQ(refused.fingerprint.size(), 32u * 3 - 1);
    EXPECT_LT(refused.notBefore, refused.notAfter);
    EXPECT_FALSE(refused.der.empty());

    client.settings().acceptedCertificates = {refused.fingerprint};
    client.connect();
    // The connection tells which certificate it stands on, and that it did not pass the check.
    ASSERT_TRUE(client.serverCertificate().has_value());
    EXPECT_EQ(client.serverCertificate()->fingerprint, refused.fingerprint);
    EXPECT_EQ(client.serverCertificate()->problems, GetParam().problems);
    EXPECT_NO_THROW(client.list("up"));
    client.quit();
}

INSTANTIATE_TEST_SUITE_P(Problems,
                         CertificateCheck,
                         testing::Values(CertificateCase{"SelfSigned",
                                                         Kind::SelfSigned,
                                                         FtpCertificate::SelfSigned | FtpCertificate::Untrusted},
                                         CertificateCase{"Expired", Kind::Expired, FtpCertificate::Expired},
                                         CertificateCase{"OtherName", Kind::OtherName, FtpCertificate::NameMismatch}),
                         [](const testing::TestParamInfo<CertificateCase> &info) {
                             return std::string(info.param.name);
                         });

// An FTPS site never sends its password unless TLS stands: a refusal or a broken handshake
// ends the connection after AUTH TLS alone.
struct RefusedTlsCase
{
    const char *name;
    std::string afterAuth; // what the server sends in answer to AUTH TLS
    std::string late;      // what it sends a moment later, once the client is in the handshake
    FtpFault fault;
};

class RefusedTls : public ScriptedSession, public testing::WithParamInterface<RefusedTlsCase>
{};

TEST_P(RefusedTls, StopsBeforeTheLogin)
{
    m_client.settings().security = FtpSecurity::ExplicitTls;
    m_server.reply("220 Ready").receive().send(GetParam().afterAuth).pause(100).send(GetParam().late).start();
    try {
        m_client.connect();
        FAIL() << "connected";
    } catch (const FtpError &error) {
        EXPECT_EQ(error.fault(), GetParam().fault);
    }
    EXPECT_FALSE(m_client.isConnected());
    EXPECT_EQ(m_disconnectedCount, 1);
    EXPECT_EQ(finish(), Commands{"AUTH TLS"});
}

INSTANTIATE_TEST_SUITE_P(
    Servers,
    RefusedTls,
    testing::Values(RefusedTlsCase{"Refused", "534 Policy requires plain FTP\r\n", "", FtpFault::EncryptionRefused},
                    RefusedTlsCase{"NotUnderstood", "500 AUTH not understood\r\n", "", FtpFault::EncryptionRefused},
                    RefusedTlsCase{"GarbageInsteadOfHandshake",
                                   "234 Go ahead\r\n",
                                   "HTTP/1.1 400 Bad Request\r\n\r\n" + std::string(4096, 'x'),
                                   FtpFault::Tls},
                    RefusedTlsCase{"BytesBeforeTheHandshake", "234 Go ahead\r\nHELLO\r\n", "", FtpFault::Tls}),
    [](const testing::TestParamInfo<RefusedTlsCase> &info) { return std::string(info.param.name); });

} // namespace

namespace {

// A passive FTPS client of the hostile server, trusting the test authority, with short limits.
void useHostileServer(FtpSettings &settings, const HostileTlsServer &server)
{
    settings.host = "127.0.0.1";
    settings.port = server.port();
    settings.user = "alice";
    settings.security = FtpSecurity::ExplicitTls;
    settings.dataMode = FtpDataMode::Passive;
    settings.trustedCaFile = TestCertificates::get().authorityFile();
    settings.timeLimits.reply = std::chrono::seconds(3);
    settings.timeLimits.dataIdle = std::chrono::seconds(3);
}

struct HostileCase
{
    const char *name;
    HostileTlsServer::Trick trick;
    FtpFault fault;
};

class HostileTls : public testing::TestWithParam<HostileCase>
{};

// None of these may hang or pass for a success; a cut download keeps the old local file.
TEST_P(HostileTls, IsAClearFailure)
{
    const HostileTlsServer server(GetParam().trick);
    const fs::path local = freshTestFolder();
    writeFile(local / "page.html", "old");
    FtpClient client;
    useHostileServer(client.settings(), server);
    try {
        client.connect();
        client.retrieve("page.html", (local / "page.html").string(), true);
        FAIL() << "no failure";
    } catch (const FtpError &error) {
        EXPECT_EQ(error.fault(), GetParam().fault) << error.what();
    }
    EXPECT_EQ(readFile(local / "page.html"), "old");
    client.quit();
    fs::remove_all(local);
}

INSTANTIATE_TEST_SUITE_P(
    Servers,
    HostileTls,
    testing::Values(HostileCase{"CutDownload", HostileTlsServer::Trick::CutDownload, FtpFault::TruncatedDownload},
                    HostileCase{"HugeChain", HostileTlsServer::Trick::HugeChain, FtpFault::Tls},
                    HostileCase{"Renegotiate", HostileTlsServer::Trick::Renegotiate, FtpFault::Tls}),
    [](const testing::TestParamInfo<HostileCase> &info) { return std::string(info.param.name); });

} // namespace

namespace {

// The data connection's handshake starts before the server's "150" is read, so the two share a
// round trip; a refusal that comes instead still ends the transfer cleanly and in step.
struct EarlyHandshakeCase
{
    const char *name;
    HostileTlsServer::Trick trick;
    int refusal; // 0: the download arrives whole
};

class EarlyDataHandshake : public testing::TestWithParam<EarlyHandshakeCase>
{};

TEST_P(EarlyDataHandshake, CrossesTheServersReply)
{
    const HostileTlsServer server(GetParam().trick);
    const fs::path local = freshTestFolder();
    writeFile(local / "page.html", "old");
    FtpClient client;
    useHostileServer(client.settings(), server);
    client.connect();
    try {
        client.retrieve("page.html", (local / "page.html").string(), true);
        EXPECT_EQ(GetParam().refusal, 0) << "no refusal";
        EXPECT_EQ(readFile(local / "page.html"), HostileTlsServer::servedPage());
    } catch (const FtpReplyError &error) {
        EXPECT_EQ(error.code(), GetParam().refusal) << error.what();
        EXPECT_EQ(readFile(local / "page.html"), "old");
    }
    EXPECT_NO_THROW(client.site("CHMOD 644 page.html")) << "the next command gets its own reply";
    client.quit();
    fs::remove_all(local);
}

INSTANTIATE_TEST_SUITE_P(
    Servers,
    EarlyDataHandshake,
    testing::Values(EarlyHandshakeCase{"ReplyAfterHello", HostileTlsServer::Trick::ReplyAfterHello, 0},
                    EarlyHandshakeCase{"RefuseAfterHello", HostileTlsServer::Trick::RefuseAfterHello, 550}),
    [](const testing::TestParamInfo<EarlyHandshakeCase> &info) { return std::string(info.param.name); });

} // namespace
