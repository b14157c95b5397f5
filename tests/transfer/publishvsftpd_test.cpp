#include "common/usererror.h"
#include "support/ftp/vsftpdserver.h"
#include "transfer/ftp/ftpclient.h"
#include "transfer/ftpjobcontext.h"
#include "transfer/publishjobs.h"
#include "transfer/publishlock.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <utime.h>

namespace {

namespace fs = std::filesystem;
using PublishPlan::State;

// A site published to vsftpd as a web host runs it: plain FTP, a local user, SITE CHMOD, and
// vsftpd's own umask (077: a new file is 600), its listings hiding names that start with a dot.
// The manifest goes to a data folder of the test's own.
class PublishToVsftpd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!VsftpdServer::available())
            GTEST_SKIP() << "vsftpd needs root";
        ASSERT_TRUE(m_home.isValid() && m_local.isValid());
        qputenv("QZWEB_HOME", QFile::encodeName(m_home.path()));
        m_server = std::make_unique<VsftpdServer>(VsftpdServer::LocalUser{});
        connectClient(m_client);
        m_site = {QStringLiteral("127.0.0.1"),
                  QString::fromStdString(m_server->user()),
                  m_local.path(),
                  QString(),
                  SiteExclusions(SiteExclusions::defaultPatterns())};
    }
    void TearDown() override { qunsetenv("QZWEB_HOME"); }

    void connectClient(FtpClient &client) const
    {
        client.settings().host = "127.0.0.1";
        client.settings().port = m_server->port();
        client.settings().user = m_server->user();
        client.settings().password = m_server->password();
        client.connect();
    }

    void writeLocal(const std::string &path, const std::string &content) const
    {
        const fs::path file = fs::path(m_local.path().toStdString()) / path;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
    }

    fs::path onServer(const std::string &path) const { return fs::path(m_server->root()) / path; }
    int modeOnServer(const std::string &path) const
    {
        struct stat status
        {};
        return ::stat(onServer(path).c_str(), &status) == 0 ? int(status.st_mode & 07777) : -1;
    }
    std::string serverContent(const std::string &path) const
    {
        std::ifstream file(onServer(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    // As if the file had last changed then: vsftpd lists its time in UTC.
    void setServerTime(const std::string &path, const QDateTime &when) const
    {
        const utimbuf times{when.toSecsSinceEpoch(), when.toSecsSinceEpoch()};
        ASSERT_EQ(::utime(onServer(path).c_str(), &times), 0);
    }

    PublishJobs::Scan scan() { return PublishJobs::scan(m_context, m_site); }
    TransferJobs::Summary publish(const PublishJobs::Scan &scan) { return PublishJobs::publish(m_context, scan); }

    static QMap<QByteArray, State> states(const PublishJobs::Scan &scan)
    {
        QMap<QByteArray, State> map;
        for (const PublishPlan::Item &item : scan.plan.items)
            map.insert(item.remote, item.state);
        return map;
    }
    static const PublishPlan::Item &itemOf(const PublishJobs::Scan &scan, const QByteArray &path)
    {
        for (const PublishPlan::Item &item : scan.plan.items) {
            if (item.remote == path)
                return item;
        }
        static const PublishPlan::Item none;
        ADD_FAILURE() << "no item " << path.constData();
        return none;
    }

    QTemporaryDir m_home;
    QTemporaryDir m_local;
    std::unique_ptr<VsftpdServer> m_server;
    FtpClient m_client;
    std::function<bool()> m_stopWhen = [] { return false; };
    FtpJobContext m_context{m_client, [](const JobProgress &) {}, [this] { return m_stopWhen(); }};
    PublishJobs::Site m_site;
};

// A CGI made executable and a page made readable on the server keep their modes when a publish
// replaces them, though vsftpd gives a new file 600.
TEST_F(PublishToVsftpd, ReplacedFilesKeepTheirModes)
{
    writeLocal("index.html", "<p>one</p>");
    writeLocal("cgi-bin/count.cgi", "#!/bin/sh\necho 1\n");
    const TransferJobs::Summary first = publish(scan());
    ASSERT_EQ(first.files, 2) << first.failed.join(u'\n').toStdString();
    EXPECT_EQ(modeOnServer("index.html"), 0600);
    // As the user sets them with the permission dialog.
    fs::permissions(onServer("index.html"), fs::perms(0644));
    fs::permissions(onServer("cgi-bin/count.cgi"), fs::perms(0755));

    writeLocal("index.html", "<p>two</p>");
    writeLocal("cgi-bin/count.cgi", "#!/bin/sh\necho 2\n");
    const TransferJobs::Summary second = publish(scan());
    EXPECT_EQ(second.files, 2);
    EXPECT_TRUE(second.failed.isEmpty() && second.notes.isEmpty())
        << (second.failed + second.notes).join(u'\n').toStdString();
    EXPECT_EQ(serverContent("index.html"), "<p>two</p>");
    EXPECT_EQ(serverContent("cgi-bin/count.cgi"), "#!/bin/sh\necho 2\n");
    EXPECT_EQ(modeOnServer("index.html"), 0644);
    EXPECT_EQ(modeOnServer("cgi-bin/count.cgi"), 0755);
    EXPECT_FALSE(fs::exists(onServer(".qzweb-index.html.part")));
}

// Half a year after a publish the listing shows the year in place of the time: files nobody
// touched are still this program's copies, and an edited page goes up; a file whose day moved
// was changed by someone else.
TEST_F(PublishToVsftpd, AListingHalfAYearOldStillKnowsItsOwnCopies)
{
    writeLocal("edited.html", "aaaa");
    writeLocal("theirs.html", "bbbb");
    writeLocal("kept.html", "cccc");
    ASSERT_EQ(publish(scan()).files, 3);
    // As if that publish had been 200 days ago: the server's times, and what the listing right
    // after it showed, the minute.
    const QDateTime then = QDateTime::currentDateTimeUtc().addDays(-200);
    const QString manifestPath = scan().manifestPath;
    PublishManifest manifest;
    manifest.load(manifestPath);
    for (const QByteArray &path : {QByteArray("edited.html"), QByteArray("theirs.html"), QByteArray("kept.html")}) {
        setServerTime(path.toStdString(), path == "theirs.html" ? then.addDays(3) : then);
        PublishManifest::Entry entry = *manifest.find(path);
        entry.remoteTime = {then.date(), QTime(then.time().hour(), then.time().minute())};
        manifest.set(path, entry);
    }
    manifest.write(manifestPath);

    writeLocal("edited.html", "AAAA");
    const PublishJobs::Scan later = scan();
    EXPECT_EQ(states(later),
              (QMap<QByteArray, State>{{"edited.html", State::Changed},
                                       {"kept.html", State::Unchanged},
                                       {"theirs.html", State::ChangedOnServer}}));
    EXPECT_TRUE(itemOf(later, "edited.html").checked);
    EXPECT_EQ(publish(later).files, 1);
    EXPECT_EQ(serverContent("edited.html"), "AAAA");
}

// 中止 after two of three files: those two are recorded with the times the server gave them,
// so an edit on the server afterwards, of the same size, shows as someone else's and is not
// overwritten by default.
TEST_F(PublishToVsftpd, AStoppedPublishRecordsWhatItSent)
{
    for (const char *name : {"a.html", "b.html", "c.html"})
        writeLocal(name, std::string(name, 1) + "111");
    m_stopWhen = [this] { return fs::exists(onServer("b.html")); };
    {
        const TransferJobs::Summary stopped = publish(scan());
        EXPECT_TRUE(stopped.cancelled);
        EXPECT_EQ(stopped.files, 2);
    }
    m_stopWhen = [] { return false; };
    ASSERT_FALSE(fs::exists(onServer("c.html")));
    std::ofstream(onServer("a.html"), std::ios::binary) << "x111";
    // Another minute than the upload's (not one ahead: a listing shows a future time by its year).
    setServerTime("a.html", QDateTime::currentDateTimeUtc().addSecs(-120));
    writeLocal("a.html", "A111");

    const PublishJobs::Scan next = scan();
    EXPECT_EQ(states(next),
              (QMap<QByteArray, State>{
                  {"a.html", State::ChangedOnServer}, {"b.html", State::Unchanged}, {"c.html", State::New}}));
    EXPECT_FALSE(itemOf(next, "a.html").checked);
    publish(next);
    EXPECT_EQ(serverContent("a.html"), "x111");
    EXPECT_EQ(serverContent("c.html"), "c111");
}

// Files a publish sent but could not list (its listing failed as it stopped) keep the exact
// time MDTM gave them, or none when the connection was gone: the next plan asks MDTM again of
// the former and takes the size of the latter, then records the listed times.
TEST_F(PublishToVsftpd, TimesLeftUnrecordedAreSettledByTheNextPlan)
{
    for (const char *name : {"ours.html", "theirs.html", "untimed.html"})
        writeLocal(name, "same");
    ASSERT_EQ(publish(scan()).files, 3);
    const QString manifestPath = scan().manifestPath;
    PublishManifest manifest;
    manifest.load(manifestPath);
    const auto exactTime = [this](const std::string &path) {
        struct stat status
        {};
        EXPECT_EQ(::stat(onServer(path).c_str(), &status), 0);
        const QDateTime when = QDateTime::fromSecsSinceEpoch(status.st_mtime, Qt::UTC);
        return RemoteDate{when.date(), when.time(), true};
    };
    const RemoteDate ours = exactTime("ours.html");
    const RemoteDate theirs = exactTime("theirs.html");
    const auto record = [&](const QByteArray &path, const RemoteDate &time) {
        PublishManifest::Entry entry = *manifest.find(path);
        entry.remoteTime = time;
        manifest.set(path, entry);
    };
    record("ours.html", ours);
    record("theirs.html", {theirs.day, theirs.time.addSecs(-7), true}); // replaced since, same size
    record("untimed.html", RemoteDate());
    manifest.write(manifestPath);

    EXPECT_EQ(states(scan()),
              (QMap<QByteArray, State>{{"ours.html", State::Unchanged},
                                       {"theirs.html", State::ChangedOnServer},
                                       {"untimed.html", State::Unchanged}}));
    manifest.load(manifestPath);
    for (const QByteArray &path : {QByteArray("ours.html"), QByteArray("untimed.html")}) {
        const RemoteDate settled = manifest.find(path)->remoteTime;
        EXPECT_TRUE(settled.day.isValid() && !settled.exact) << path.constData();
    }
    EXPECT_TRUE(manifest.find("theirs.html")->remoteTime.exact);
}

// A second window's publish of the site waits for the first: its plan is refused while the
// first one's stands, and is made once that publish is over.
TEST_F(PublishToVsftpd, TwoPublishesOfASiteAtOnce)
{
    writeLocal("index.html", "<p>top</p>");
    FtpClient otherClient;
    connectClient(otherClient);
    FtpJobContext otherWindow{otherClient, [](const JobProgress &) {}, [] { return false; }};
    {
        const PublishJobs::Scan first = scan();
        try {
            PublishJobs::scan(otherWindow, m_site);
            ADD_FAILURE() << "a second plan of the site while the first stands";
        } catch (const UserError &error) {
            EXPECT_EQ(error.text(), PublishLock::busyText());
        }
        EXPECT_EQ(publish(first).files, 1);
    }
    const PublishJobs::Scan after = PublishJobs::scan(otherWindow, m_site);
    EXPECT_EQ(states(after), (QMap<QByteArray, State>{{"index.html", State::Unchanged}}));
}

// vsftpd hides .htaccess from a plain listing: asked for hidden names, it is known as sent;
// what the exclusions name never goes up, nor is offered for deletion when the server has it.
TEST_F(PublishToVsftpd, HiddenNamesAreListedAndExcludedNamesLeftOut)
{
    writeLocal(".htaccess", "Options -Indexes\n");
    writeLocal("index.html", "<p>top</p>");
    writeLocal(".git/config", "[core]\n");
    writeLocal("img/Thumbs.db", "thumbs");
    writeLocal("index.html~", "backup");
    fs::create_directories(onServer(".git"));
    std::ofstream(onServer(".git/HEAD")) << "ref: refs/heads/main\n";
    {
        const PublishJobs::Scan first = scan();
        EXPECT_EQ(states(first), (QMap<QByteArray, State>{{".htaccess", State::New}, {"index.html", State::New}}));
        EXPECT_EQ(first.plan.excluded.size(), 3) << first.plan.excluded.join(u',').toStdString();
        const TransferJobs::Summary sent = publish(first);
        EXPECT_EQ(sent.files, 2);
        EXPECT_TRUE(sent.failed.isEmpty()) << sent.failed.join(u'\n').toStdString();
    }
    EXPECT_EQ(serverContent(".htaccess"), "Options -Indexes\n");
    EXPECT_FALSE(fs::exists(onServer(".git/config")));
    EXPECT_FALSE(fs::exists(onServer("img/Thumbs.db")));
    EXPECT_FALSE(fs::exists(onServer("index.html~")));
    EXPECT_EQ(states(scan()),
              (QMap<QByteArray, State>{{".htaccess", State::Unchanged}, {"index.html", State::Unchanged}}));
}

// A site of many files goes up over several connections where the server takes them, and over
// the session's alone where it takes one from an address or data connections are active: either way every file arrives, the
// replaced ones keep their modes, and the manifest knows them all.
struct ConnectionsCase
{
    const char *name;
    int connectionsPerAddress;
    FtpDataMode dataMode;
    bool several;
};

class PublishOverConnections : public PublishToVsftpd, public testing::WithParamInterface<ConnectionsCase>
{};

TEST_P(PublishOverConnections, EveryFileArrivesAndKeepsItsMode)
{
    const ConnectionsCase &c = GetParam();
    m_client.quit();
    m_server = std::make_unique<VsftpdServer>(VsftpdServer::LocalUser{"077", c.connectionsPerAddress});
    m_client.settings().dataMode = c.dataMode;
    // The server lets go of its start-up check's connection a moment after it.
    for (int tries = 0; !m_client.isConnected(); ++tries) {
        try {
            connectClient(m_client);
        } catch (const FtpError &) {
            ASSERT_LT(tries, 50);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    const auto page = [](int folder, int file) {
        return "dir" + std::to_string(folder) + "/page" + std::to_string(file) + ".html";
    };
    const auto writeAll = [&](const std::string &round) {
        for (int folder = 0; folder < 3; ++folder) {
            for (int file = 0; file < 8; ++file)
                writeLocal(page(folder, file), round + page(folder, file));
        }
    };
    writeAll("one ");
    ASSERT_EQ(publish(scan()).files, 24);
    fs::permissions(onServer(page(1, 3)), fs::perms(0644));
    fs::permissions(onServer(page(2, 7)), fs::perms(0755));
    writeAll("two ");
    const std::size_t before = m_server->commands().size();
    const TransferJobs::Summary second = publish(scan());
    EXPECT_EQ(second.files, 24);
    EXPECT_TRUE(second.failed.isEmpty() && second.notes.isEmpty())
        << (second.failed + second.notes).join(u'\n').toStdString();
    const std::vector<std::string> commands = m_server->commands();
    const auto logins = std::count(commands.begin() + static_cast<std::ptrdiff_t>(before), commands.end(), "USER");
    EXPECT_EQ(logins > 0, c.several) << logins << " more logins";
    for (int folder = 0; folder < 3; ++folder) {
        for (int file = 0; file < 8; ++file)
            EXPECT_EQ(serverContent(page(folder, file)), "two " + page(folder, file));
    }
    EXPECT_EQ(modeOnServer(page(1, 3)), 0644);
    EXPECT_EQ(modeOnServer(page(2, 7)), 0755);
    EXPECT_EQ(modeOnServer(page(0, 0)), 0600);
    const PublishJobs::Scan after = scan();
    EXPECT_EQ(after.plan.count(State::Unchanged), 24);
}

INSTANTIATE_TEST_SUITE_P(Servers,
                         PublishOverConnections,
                         testing::Values(ConnectionsCase{"AnyNumber", 0, FtpDataMode::Passive, true},
                                         ConnectionsCase{"OneAtATime", 1, FtpDataMode::Passive, false},
                                         ConnectionsCase{"ActiveDataConnections", 0, FtpDataMode::Active, false}),
                         [](const testing::TestParamInfo<ConnectionsCase> &info) {
                             return std::string(info.param.name);
                         });

// 中止 while several connections send: every one of them stops, none leaves a cut file under a
// page's own name, and the next publish sends what is missing.
TEST_F(PublishToVsftpd, AStopReachesEveryConnection)
{
    m_client.quit();
    // Each file takes a second or more on its connection.
    m_server = std::make_unique<VsftpdServer>(VsftpdServer::LocalUser{"077", 0, 64 * 1024});
    m_client.settings().dataMode = FtpDataMode::Passive;
    connectClient(m_client);
    const std::string content(96 * 1024, 'x');
    const auto page = [](int file) {
        return "dir" + std::to_string(file % 3) + "/page" + std::to_string(file) + ".html";
    };
    for (int file = 0; file < 9; ++file)
        writeLocal(page(file), content);
    std::atomic<bool> stop = false;
    m_stopWhen = [&stop] { return stop.load(); };
    std::thread window([this, &stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop = true;
        m_context.files().interrupt();
    });
    const TransferJobs::Summary stopped = publish(scan());
    window.join();
    EXPECT_TRUE(stopped.cancelled);
    // Each connection was cut in its first file: none went on to finish it.
    EXPECT_EQ(stopped.files, 0);
    for (int file = 0; file < 9; ++file)
        EXPECT_FALSE(fs::exists(onServer(page(file)))) << page(file);
    m_stopWhen = [] { return false; };
    m_context.files().resetInterrupt();
    if (!m_client.isConnected())
        connectClient(m_client);
    EXPECT_EQ(publish(scan()).files, 9);
    for (int file = 0; file < 9; ++file)
        EXPECT_EQ(serverContent(page(file)), content);
}

// 更新分を公開 of one page in each of ten folders: every folder listed in STAT's reply once a
// data connection's listing matched it, and each page sent under its temporary name and renamed.
TEST_F(PublishToVsftpd, AFewChangedFilesCostFewCommands)
{
    m_client.quit();
    m_client.settings().dataMode = FtpDataMode::Passive;
    connectClient(m_client);
    const auto page = [](int folder, int file) {
        return "dir" + std::to_string(folder) + "/page" + std::to_string(file) + ".html";
    };
    for (int folder = 0; folder < 10; ++folder) {
        for (int file = 0; file < 4; ++file)
            writeLocal(page(folder, file), "one");
    }
    ASSERT_EQ(publish(scan()).files, 40);
    for (int folder = 0; folder < 10; ++folder)
        writeLocal(page(folder, 1), "two");
    const std::size_t before = m_server->commands().size();
    EXPECT_EQ(publish(scan()).files, 10);
    const std::vector<std::string> all = m_server->commands();
    const std::vector<std::string> sent(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    const auto count = [&sent](const char *verb) { return std::count(sent.begin(), sent.end(), verb); };
    EXPECT_EQ(count("LIST"), 1);  // the root's, which STAT's reply matched
    EXPECT_EQ(count("STAT"), 21); // the plan's eleven folders, and ten after the uploads
    EXPECT_EQ(count("EPSV"), 11);
    EXPECT_EQ(count("RNTO"), 10);
    // PWD, FEAT, and for each connection more (of those made in time) USER, PASS, TYPE and QUIT.
    std::string verbs;
    for (const std::string &verb : sent)
        verbs += verb + ' ';
    EXPECT_LE(sent.size(), 1 + 1 + 1 + 21 + 11 + 10 * 3 + 4 * count("USER")) << verbs;
}

} // namespace
