#include "transfer/sftp/sftpremotefiles.h"

#include "support/ssh/sshdserver.h"
#include "transfer/ftpjobcontext.h"
#include "transfer/ftpsession.h"
#include "transfer/permissionbits.h"
#include "transfer/publishjobs.h"
#include "transfer/remoteerrors.h"
#include "transfer/remotejobs.h"
#include "transfer/transferjobs.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>

namespace {

namespace fs = std::filesystem;

// Every test talks to a real sshd on 127.0.0.1, which needs root; without it they are skipped.
class SftpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!SshdServer::available())
            GTEST_SKIP() << "sshd needs root and /usr/sbin/sshd";
    }

    RemoteLogin loginTo(const SshdServer &server) const
    {
        RemoteLogin login;
        login.host = QStringLiteral("127.0.0.1");
        login.port = server.port();
        login.user = QString::fromStdString(server.user());
        login.password = QString::fromStdString(server.password());
        return login;
    }

    // The fingerprint the first connection shows, accepted as the trust dialog would.
    RemoteLogin trustedLoginTo(const SshdServer &server) const
    {
        RemoteLogin login = loginTo(server);
        SftpRemoteFiles files;
        try {
            files.connect(login);
        } catch (const RemoteUntrusted &untrusted) {
            login.acceptedCertificates.append(QString::fromStdString(untrusted.certificate().fingerprint));
        }
        return login;
    }

    // What connect() says, empty when it logged in.
    static std::string failureOf(SftpRemoteFiles &files, const RemoteLogin &login)
    {
        try {
            files.connect(login);
            return {};
        } catch (const std::exception &error) {
            return error.what();
        }
    }
};

struct LoginCase
{
    const char *name;
    bool serverTakesPasswords;
    const char *keyType; // a key the server knows; nullptr for none
    const char *passphrase;
    bool pem;
    bool wrongPassword;
    bool unknownKey;     // the key given is not the one the server knows
    const char *failure; // nullptr: logs in
};

class SftpLogin : public SftpTest, public ::testing::WithParamInterface<LoginCase>
{};

TEST_P(SftpLogin, GoesInOrSaysWhy)
{
    const LoginCase &c = GetParam();
    SshdServer::Options options;
    options.passwords = c.serverTakesPasswords;
    options.keyboardInteractive = c.serverTakesPasswords;
    // The keys are made by the server's set-up, which knows where to put them.
    SshdServer keyMaker(options);
    std::string key;
    if (c.keyType != nullptr) {
        key = keyMaker.makeClientKey(c.keyType, c.passphrase, c.pem);
        if (!c.unknownKey)
            options.authorizedKeys.push_back(SshdServer::publicLine(key));
    }
    SshdServer server(options);
    RemoteLogin login = trustedLoginTo(server);
    if (c.wrongPassword)
        login.password = QStringLiteral("not-the-password");
    if (!key.empty()) {
        login.keyFile = QString::fromStdString(key);
        login.keyPassphrase = QString::fromUtf8(c.passphrase);
        login.password.clear();
    }
    SftpRemoteFiles files;
    const std::string failure = failureOf(files, login);
    if (c.failure == nullptr) {
        EXPECT_EQ(failure, "") << c.name;
        EXPECT_TRUE(files.isConnected()) << c.name;
        EXPECT_EQ(files.currentDir(), fs::canonical(server.home()).string()) << c.name;
    } else {
        EXPECT_NE(failure.find(c.failure), std::string::npos) << c.name << ": " << failure;
        EXPECT_FALSE(files.isConnected()) << c.name;
        if (c.unknownKey) {
            EXPECT_NE(failure.find(key), std::string::npos) << "names the key tried: " << failure;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Logins,
    SftpLogin,
    ::testing::Values(
        LoginCase{"Password", true, nullptr, "", false, false, false, nullptr},
        LoginCase{"WrongPassword", true, nullptr, "", false, true, false, "パスワードが違う"},
        LoginCase{"KeyOnlyServerRefusesThePassword", false, nullptr, "", false, false, false, "鍵でのログインだけ"},
        LoginCase{"Ed25519", false, "ed25519", "", false, false, false, nullptr},
        LoginCase{"Ed25519WithPassphrase", false, "ed25519", "secret phrase", false, false, false, nullptr},
        LoginCase{"RsaInPemForm", false, "rsa", "", true, false, false, nullptr},
        LoginCase{"RsaWithPassphrase", false, "rsa", "秘密", false, false, false, nullptr},
        LoginCase{"KeyTheServerDoesNotKnow", false, "ed25519", "", false, false, true, "鍵が受け付けられませんでした"}),
    [](const ::testing::TestParamInfo<LoginCase> &info) { return std::string(info.param.name); });

TEST_F(SftpTest, AWrongPassphraseIsToldAsSuch)
{
    SshdServer server({false, false, true, {}, {}, false});
    const std::string key = server.makeClientKey("ed25519", "right");
    RemoteLogin login = trustedLoginTo(server);
    login.keyFile = QString::fromStdString(key);
    login.keyPassphrase = QStringLiteral("wrong");
    SftpRemoteFiles files;
    EXPECT_NE(failureOf(files, login).find("パスフレーズが違う"), std::string::npos);
}

TEST_F(SftpTest, AnUnknownOrChangedHostKeyStopsTheLoginAndShowsItself)
{
    SshdServer server({});
    SftpRemoteFiles files;
    std::string first;
    try {
        files.connect(loginTo(server));
        FAIL() << "an unknown host key passed";
    } catch (const RemoteUntrusted &untrusted) {
        first = untrusted.certificate().fingerprint;
        EXPECT_EQ(untrusted.certificate().keyType, "ssh-ed25519");
        EXPECT_FALSE(untrusted.certificate().der.empty());
    }
    EXPECT_EQ(first.rfind("SHA256:", 0), 0u) << first;
    EXPECT_FALSE(files.isConnected());

    RemoteLogin login = loginTo(server);
    login.acceptedCertificates.append(QString::fromStdString(first));
    files.connect(login);
    ASSERT_TRUE(files.isConnected());
    files.quit();

    server.restart(true);
    try {
        files.connect(login);
        FAIL() << "a changed host key passed";
    } catch (const RemoteUntrusted &untrusted) {
        EXPECT_NE(untrusted.certificate().fingerprint, first);
    }
}

TEST_F(SftpTest, ClosedPortAndMissingSubsystemAreNamed)
{
    SshdServer server({true, true, false, {}, {}, false});
    const RemoteLogin login = trustedLoginTo(server);
    SftpRemoteFiles files;
    EXPECT_NE(failureOf(files, login).find("SFTP のサブシステムがありません"), std::string::npos);

    RemoteLogin closed = login;
    server.kill();
    EXPECT_NE(failureOf(files, closed).find("ポートが閉じています"), std::string::npos);
}

TEST_F(SftpTest, FolderAndFileOperationsKeepTheNamesBytes)
{
    SshdServer server({});
    SftpRemoteFiles files;
    files.connect(trustedLoginTo(server));
    const QTemporaryDir local;
    const std::string page = local.filePath(QStringLiteral("page.html")).toStdString();
    std::ofstream(page) << "<p>page</p>";
    // "テスト.html" in CP932, which is no UTF-8.
    const std::string cp932 = "\x83\x65\x83\x58\x83\x67.html";

    files.makeDir("site");
    files.changeDir("site");
    EXPECT_EQ(files.currentDir(), fs::canonical(server.home()).string() + "/site");
    files.store(page, cp932);
    files.store(page, "old.html");
    files.setPermissions("old.html", 0604);
    // Replacing keeps the old file's mode.
    files.store(page, "old.html");
    for (const RemoteItem &item : files.list({})) {
        if (item.name == "old.html") {
            EXPECT_EQ(PermissionBits::modeOf(item.attributes), 0604);
        }
    }
    files.rename(cp932, "old.html");
    files.store(page, "gone.html");
    files.remove("gone.html");
    files.makeDir("empty");
    files.removeDir("empty");

    const RemoteItems items = files.list({});
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.constFirst().name, "old.html");
    EXPECT_EQ(items.constFirst().size, 11);
    EXPECT_EQ(PermissionBits::modeOf(items.constFirst().attributes), 0644);
    EXPECT_TRUE(items.constFirst().date.exact);

    files.store(page, cp932);
    EXPECT_EQ(files.list({}).size(), 2);
    // Read together, several folders give what each listing gives; a missing one gives none.
    files.makeDir("sub");
    const std::vector<std::optional<RemoteItems>> several = files.listFullySeveral({"", "no-such-folder", "sub"});
    ASSERT_EQ(several.size(), 3u);
    ASSERT_TRUE(several[0]);
    const auto described = [](const RemoteItems &listed) {
        std::vector<std::tuple<QByteArray, bool, qint64, QString, QDateTime>> all;
        for (const RemoteItem &item : listed)
            all.emplace_back(
                item.name, item.folder, item.size, item.attributes, QDateTime(item.date.day, item.date.time));
        std::sort(all.begin(), all.end());
        return all;
    };
    EXPECT_EQ(described(*several[0]), described(files.list({})));
    EXPECT_EQ(several[0]->size(), 3);
    EXPECT_FALSE(several[1]);
    ASSERT_TRUE(several[2]);
    EXPECT_TRUE(several[2]->isEmpty());
    files.removeDir("sub");
    EXPECT_TRUE(fs::exists(server.home() + "/site/" + cp932));
    const std::string back = local.filePath(QStringLiteral("back.html")).toStdString();
    files.retrieve(cp932, back, false, 11);
    std::ifstream in(back);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "<p>page</p>");

    files.changeDirUp();
    try {
        files.removeDir("no-such-folder");
        FAIL();
    } catch (const RemoteRefusal &) {
    }
    EXPECT_TRUE(files.isConnected());
}

// Many blocks in flight each way: the copy is whole, and a stop the progress asks for reads the
// answers still owed, so that the connection goes on working and no cut file is left.
TEST_F(SftpTest, ManyBlocksInFlightMoveTheWholeFileAndAStopKeepsTheConnection)
{
    SshdServer server({});
    SftpRemoteFiles files;
    files.connect(trustedLoginTo(server));
    const QTemporaryDir local;
    const std::string source = local.filePath(QStringLiteral("source.bin")).toStdString();
    std::string bytes(5 * 1024 * 1024 + 123, '\0');
    std::uint32_t state = 12345;
    for (char &byte : bytes)
        byte = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
    std::ofstream(source, std::ios::binary) << bytes;
    const auto read = [](const std::string &path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string back = local.filePath(QStringLiteral("back.bin")).toStdString();
    const auto stopAfterAMebibyte = [](std::uint64_t done, std::uint64_t) { return done < 1024 * 1024; };

    for (const bool upload : {true, false}) {
        const auto transfer = [&](const RemoteFiles::Progress &progress) {
            if (upload)
                files.store(source, "big.bin", progress);
            else
                files.retrieve("big.bin", back, true, bytes.size(), progress);
        };
        EXPECT_THROW(transfer(stopAfterAMebibyte), RemoteCancelled) << upload;
        EXPECT_FALSE(fs::exists(upload ? server.home() + "/big.bin" : back)) << upload;
        ASSERT_TRUE(files.isConnected()) << upload;
        EXPECT_EQ(files.list({}).empty(), upload) << upload;
        transfer({});
        EXPECT_EQ(read(upload ? server.home() + "/big.bin" : back), bytes) << upload;
    }
}

// 中止 from the window's thread in the middle of a big upload, and a server that dies in one:
// neither leaves a cut file under the real name.
// A publish's other sessions: each logs in as the first did, trusting only the host key the
// first stands on, and the first one's stop reaches every other until it is cleared.
TEST_F(SftpTest, AnotherSessionLogsInAsTheFirstAndTheFirstsStopReachesIt)
{
    SshdServer server({});
    SftpRemoteFiles first;
    first.connect(trustedLoginTo(server));
    std::unique_ptr<RemoteFiles> other = first.another();
    ASSERT_TRUE(other);
    other->connectAgain();
    EXPECT_TRUE(other->isConnected());
    EXPECT_EQ(other->currentDir(), first.currentDir());
    EXPECT_NO_THROW(other->list(""));

    first.interrupt();
    try {
        other->list("");
        ADD_FAILURE() << "a session went on after the first one's stop";
    } catch (const RemoteCancelled &) {
    } catch (const std::exception &error) {
        ADD_FAILURE() << "not told as a stop: " << error.what();
    }
    // One made while the stop stands is stopped as it joins.
    std::unique_ptr<RemoteFiles> late = first.another();
    ASSERT_TRUE(late);
    EXPECT_ANY_THROW(late->connectAgain());

    first.resetInterrupt();
    late->resetInterrupt();
    EXPECT_NO_THROW(late->connectAgain());
    EXPECT_NO_THROW(late->list(""));
}

TEST_F(SftpTest, AStoppedOrCutUploadLeavesNothingUnderTheRealName)
{
    SshdServer server({});
    const RemoteLogin login = trustedLoginTo(server);
    const QTemporaryDir local;
    const std::string big = local.filePath(QStringLiteral("big.bin")).toStdString();
    fs::resize_file((std::ofstream(big), big), 64ull * 1024 * 1024);

    for (const bool killServer : {false, true}) {
        SftpRemoteFiles files;
        files.connect(login);
        std::atomic<bool> halfway{false};
        std::thread stopper([&] {
            while (!halfway)
                std::this_thread::yield();
            if (killServer)
                server.kill();
            else
                files.interrupt();
        });
        bool cancelled = false;
        try {
            files.store(big, "big.bin", [&](std::uint64_t done, std::uint64_t) {
                if (done > 8u * 1024 * 1024)
                    halfway = true;
                return true;
            });
            ADD_FAILURE() << "the upload went through";
        } catch (const std::exception &error) {
            cancelled = dynamic_cast<const RemoteCancelled *>(&error) != nullptr;
        }
        stopper.join();
        EXPECT_EQ(cancelled, !killServer);
        EXPECT_FALSE(files.isConnected());
        EXPECT_FALSE(fs::exists(server.home() + "/big.bin")) << (killServer ? "killed" : "stopped");
        if (killServer)
            server.restart(false);
    }
}

// The window's session reaches SFTP when the login asks for it, and hands an unknown host key
// to the window's trust question as it hands an FTPS certificate.
TEST_F(SftpTest, TheWindowsSessionConnectsBySftpWhenTheLoginSaysSo)
{
    SshdServer server({});
    std::ofstream(server.home() + "/index.html") << "<p>top</p>";
    FtpSession session;
    const auto connect = [&session](const RemoteLogin &login) {
        QEventLoop loop;
        FtpJobOutcome outcome;
        QObject::connect(&session, &FtpSession::finished, &loop, [&](quint64, const FtpJobOutcome &finished) {
            outcome = finished;
            loop.quit();
        });
        session.submit(QStringLiteral("connect"), [login](FtpJobContext &context) {
            return QVariant::fromValue(RemoteJobs::connectAndList(context.files(), login));
        });
        loop.exec();
        EXPECT_TRUE(outcome.succeeded()) << outcome.error.toStdString();
        return outcome.result.value<RemoteJobs::ConnectOutcome>();
    };
    RemoteLogin login = loginTo(server);
    login.security = ConnectionMethod::Sftp;
    const RemoteJobs::ConnectOutcome unknown = connect(login);
    ASSERT_TRUE(unknown.certificate);
    EXPECT_FALSE(unknown.folder);
    EXPECT_EQ(unknown.certificate->keyType, "ssh-ed25519");

    login.acceptedCertificates.append(QString::fromStdString(unknown.certificate->fingerprint));
    const RemoteJobs::ConnectOutcome stood = connect(login);
    EXPECT_TRUE(stood.failure.isEmpty()) << stood.failure.toStdString();
    ASSERT_TRUE(stood.folder);
    EXPECT_EQ(stood.homeDir.toStdString(), fs::canonical(server.home()).string());
    ASSERT_EQ(stood.folder->items.size(), 1);
    EXPECT_EQ(stood.folder->items.constFirst().name, "index.html");
}

// The folder transfer and 更新分を公開 run over SFTP as they do over FTP.
TEST_F(SftpTest, AFolderGoesUpAndASecondPublishSendsOnlyTheEditedFile)
{
    SshdServer server({});
    SftpRemoteFiles files;
    files.connect(trustedLoginTo(server));
    const QTemporaryDir home;
    qputenv("QZWEB_HOME", QFile::encodeName(home.path()));
    FtpJobContext context(
        files, [](const JobProgress &) {}, [] { return false; });
    const QTemporaryDir local;
    const QString site = local.filePath(QStringLiteral("site"));
    ASSERT_TRUE(QDir().mkpath(site + QStringLiteral("/diary")));
    const auto write = [&](const QString &path, const QByteArray &content) {
        QFile file(site + QLatin1Char('/') + path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    write(QStringLiteral("index.html"), "<p>top</p>");
    write(QStringLiteral("diary/日記.html"), "<p>one</p>");

    const TransferJobs::Summary up = TransferJobs::uploadFolder(context, site, {});
    EXPECT_EQ(up.files, 2);
    EXPECT_TRUE(fs::exists(server.home() + "/site/diary/日記.html"));

    const PublishJobs::Site published{QStringLiteral("127.0.0.1"),
                                      QString::fromStdString(server.user()),
                                      site,
                                      QStringLiteral("site"),
                                      SiteExclusions(SiteExclusions::defaultPatterns())};
    {
        PublishJobs::Scan first = PublishJobs::scan(context, published);
        PublishPlan::decideSameSize(first.plan, {});
        EXPECT_TRUE(PublishJobs::publish(context, first).failed.isEmpty());
    }
    write(QStringLiteral("diary/日記.html"), "<p>two</p>");
    const TransferJobs::Summary second = PublishJobs::publish(context, PublishJobs::scan(context, published));
    EXPECT_EQ(second.files, 1);
    EXPECT_TRUE(second.failed.isEmpty());
    std::ifstream in(server.home() + "/site/diary/日記.html");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "<p>two</p>");
    // What the publish recorded of the file it sent (from the upload, not a listing) is what
    // the server shows: nothing is taken for changed there.
    const PublishJobs::Scan third = PublishJobs::scan(context, published);
    for (const PublishPlan::Item &item : third.plan.items)
        EXPECT_EQ(item.state, PublishPlan::State::Unchanged) << item.shownPath().toStdString();
    qunsetenv("QZWEB_HOME");
}

} // namespace
