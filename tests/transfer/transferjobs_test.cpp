#include "transfer/transferjobs.h"

#include "common/atomicfile.h"
#include "common/previewcopyrecord.h"
#include "support/ftp/localfiles.h"
#include "support/ftp/pyftpdserver.h"
#include "support/ftp/scriptedsession.h"
#include "transfer/ftp/connectionclosed.h"
#include "transfer/ftp/ftpclient.h"
#include "transfer/ftp/ftpreplyerror.h"
#include "transfer/ftpjobcontext.h"
#include "transfer/publishplan.h"
#include "transfer/transferattempt.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

ScriptedFtpServer &listing(ScriptedFtpServer &server, const std::string &lines)
{
    return server.answer("200 PORT ok").answer("150 Here it comes").sendData(lines).reply("226 Done");
}

ScriptedFtpServer &upload(ScriptedFtpServer &server)
{
    return server.answer("200 PORT ok").answer("150 Ok to send").receiveData().reply("226 Stored");
}

ScriptedFtpServer &download(ScriptedFtpServer &server, const std::string &bytes)
{
    return listing(server, bytes);
}

std::string dirLine(const std::string &name)
{
    return "drwxr-xr-x   2 u  g   4096 Jan  5 12:34 " + name + "\r\n";
}

std::string fileLine(const std::string &name, int size = 5)
{
    return "-rw-r--r--   1 u  g   " + std::to_string(size) + " Jan  5 12:34 " + name + "\r\n";
}

std::string linkLine(const std::string &name, const std::string &target)
{
    return "lrwxrwxrwx   1 u  g      2 Jan  5 12:34 " + name + " -> " + target + "\r\n";
}

QString qpath(const fs::path &path)
{
    return QString::fromStdString(path.string());
}

// The scripted server with the job functions run on its client, as the session's worker runs them.
class TransferJobsTest : public ScriptedSession
{
protected:
    FtpJobContext m_context{m_client, [](const JobProgress &) {}, [] { return false; }};

    // What the client sent after logging in, without the PORT lines (their ports vary) and the
    // closing Quit.
    Commands sentAfterLogin()
    {
        Commands sent;
        const Commands all = finish();
        for (std::size_t i = loginCommands.size(); i < all.size(); ++i) {
            if (all[i].rfind("PORT ", 0) != 0 && all[i] != "Quit")
                sent.push_back(all[i]);
        }
        return sent;
    }

    // web/site holding index.html and img/a.gif.
    fs::path makeSite()
    {
        const fs::path site = m_folder / "web" / "site";
        fs::create_directories(site / "img");
        writeFile(site / "index.html", "<p>top</p>");
        writeFile(site / "img" / "a.gif", "GIF89a");
        return site;
    }
};

TEST_F(TransferJobsTest, FolderUploadTestsEachFolderMakesTheMissingOnesThenStoresEveryFile)
{
    const fs::path site = makeSite();
    scriptLogin(m_server);
    listing(m_server, fileLine("other.html")).answer("257 \"site\" created");
    listing(m_server, "").answer("257 \"site/img\" created");
    upload(m_server);
    upload(m_server).start();
    m_client.connect();
    const auto summary = TransferJobs::uploadFolder(m_context, qpath(site), {});
    EXPECT_EQ(
        sentAfterLogin(),
        (Commands{"list", "MKD site", "list site/", "MKD site/img", "STOR site/index.html", "STOR site/img/a.gif"}));
    EXPECT_EQ(summary.files, 2);
    EXPECT_EQ(summary.folders, 2);
    EXPECT_TRUE(summary.skipped.isEmpty());
}

TEST_F(TransferJobsTest, ASecondFolderUploadMakesNoFolderAndStoresEveryFileAgain)
{
    const fs::path site = makeSite();
    scriptLogin(m_server);
    // A file named like the folder does not count as the folder; a name with blanks stays whole.
    listing(m_server, fileLine("img") + dirLine("my site") + dirLine("site"));
    listing(m_server, fileLine("index.html") + dirLine("img"));
    upload(m_server);
    upload(m_server).start();
    m_client.connect();
    TransferJobs::uploadFolder(m_context, qpath(site), {});
    EXPECT_EQ(sentAfterLogin(), (Commands{"list", "list site/", "STOR site/index.html", "STOR site/img/a.gif"}));
}

TEST_F(TransferJobsTest, FolderUploadSkipsLocalLinksAndRefusesTheRoot)
{
    const fs::path site = makeSite();
    fs::create_directories(m_folder / "private");
    writeFile(m_folder / "private" / "secret.txt", "secret");
    fs::create_directory_symlink(m_folder / "private", site / "private");
    fs::create_directory_symlink(site, site / "img" / "loop");
    fs::create_symlink(m_folder / "private" / "secret.txt", site / "secret.txt");
    scriptLogin(m_server);
    listing(m_server, dirLine("site"));
    listing(m_server, dirLine("img"));
    upload(m_server);
    upload(m_server).start();
    m_client.connect();
    const auto summary = TransferJobs::uploadFolder(m_context, qpath(site), {});
    EXPECT_EQ(summary.skipped.size(), 3) << summary.skipped.join(u'\n').toStdString();
    EXPECT_THROW(TransferJobs::uploadFolder(m_context, QStringLiteral("/"), {}), std::exception);
    EXPECT_EQ(sentAfterLogin(), (Commands{"list", "list site/", "STOR site/index.html", "STOR site/img/a.gif"}));
}

TEST_F(TransferJobsTest, FolderUploadSendsNamesAsTheirBytesAndNamesWhatItPassesOver)
{
    // Files from a Windows archive: names in CP932 bytes, which are no UTF-8.
    const fs::path site = m_folder / "site";
    fs::create_directories(site);
    writeFile(site / "index.html", "top");
    writeFile(site / "\x95\x5c.htm", "hyou");
    writeFile(site / "\x83\x65\x83\x58\x83\x67.html", "test");
    ASSERT_EQ(::mkfifo((site / "pipe").c_str(), 0644), 0);
    fs::create_symlink(site / "index.html", site / "link.html");
    scriptLogin(m_server);
    listing(m_server, "").answer("257 \"site\" created");
    upload(m_server);
    upload(m_server);
    upload(m_server).start();
    m_client.connect();
    const auto summary = TransferJobs::uploadFolder(m_context, qpath(site), {});
    EXPECT_EQ(sentAfterLogin(),
              (Commands{"list",
                        "MKD site",
                        "STOR site/index.html",
                        "STOR site/\x83\x65\x83\x58\x83\x67.html",
                        "STOR site/\x95\x5c.htm"}));
    EXPECT_EQ(m_server.receivedData(), "toptesthyou");
    EXPECT_EQ(summary.files, 3);
    EXPECT_EQ(summary.skipped,
              (QStringList{"site/link.html（リンク）", "site/pipe（ファイルでもフォルダでもないもの）"}));
}

// How the server ends the connection in the middle of a folder upload.
struct ConnectionEnd
{
    const char *name;
    void (*script)(ScriptedFtpServer &server); // after the STOR is received
    const char *serverText;                    // what the message keeps of the server's words
};

void PrintTo(const ConnectionEnd &end, std::ostream *out)
{
    *out << end.name;
}

class FolderUploadEndTest : public TransferJobsTest, public testing::WithParamInterface<ConnectionEnd>
{};

TEST_P(FolderUploadEndTest, GoesOnPastAFailingFileAndNamesTheFileTheEndCut)
{
    const fs::path site = m_folder / "site";
    fs::create_directories(site);
    for (const char *name : {"a.html", "b.html", "c.html", "d.html"})
        writeFile(site / name, name);
    scriptLogin(m_server);
    listing(m_server, "").answer("257 \"site\" created");
    m_server.answer("200 PORT ok").answer("553 Could not create file.");
    upload(m_server);
    m_server.answer("200 PORT ok").receive();
    GetParam().script(m_server);
    m_server.start();
    m_client.connect();
    const auto summary = TransferJobs::uploadFolder(m_context, qpath(site), {});
    EXPECT_EQ(sentAfterLogin(),
              (Commands{"list", "MKD site", "STOR site/a.html", "STOR site/b.html", "STOR site/c.html"}));
    EXPECT_EQ(summary.files, 1);
    ASSERT_EQ(summary.failed.size(), 1);
    EXPECT_TRUE(summary.failed.at(0).startsWith(QStringLiteral("site/a.html（")));
    EXPECT_TRUE(summary.failed.at(0).endsWith(QStringLiteral(" 553 Could not create file.）")))
        << summary.failed.at(0).toStdString();
    EXPECT_FALSE(summary.cancelled);
    EXPECT_EQ(summary.interruptedFile, QStringLiteral("site/c.html"));
    EXPECT_TRUE(summary.stopError.startsWith(QStringLiteral("site/c.html をアップロードできませんでした\n")))
        << summary.stopError.toStdString();
    EXPECT_TRUE(summary.stopError.contains(QStringLiteral("もう一度接続してください")))
        << summary.stopError.toStdString();
    EXPECT_TRUE(summary.stopError.contains(QString::fromLatin1(GetParam().serverText)))
        << summary.stopError.toStdString();
    EXPECT_FALSE(m_client.isConnected());
}

INSTANTIATE_TEST_SUITE_P(
    TransferJobs,
    FolderUploadEndTest,
    testing::Values(ConnectionEnd{"Closed", [](ScriptedFtpServer &server) { server.closeControl(); }, ""},
                    ConnectionEnd{"ServiceClosing",
                                  [](ScriptedFtpServer &server) { server.reply("421 Timeout.").closeControl(); },
                                  "421 Timeout."}),
    [](const testing::TestParamInfo<ConnectionEnd> &info) { return std::string(info.param.name); });

TEST(TransferJobsStop, AStoppedUploadNamesTheFileItCutAndKeepsTheOnesBefore)
{
    PyFtpdServer server;
    const fs::path local =
        fs::path(server.root()).parent_path() / (fs::path(server.root()).filename().string() + "-local");
    fs::create_directories(local);
    const std::string block(8 * 1024 * 1024, 's'); // eight blocks of the client's transfers
    for (const char *name : {"a.bin", "b.bin", "c.bin"})
        writeFile(local / name, block);
    FtpClient client;
    client.settings().host = "127.0.0.1";
    client.settings().port = server.port();
    client.settings().user = server.user();
    client.settings().password = server.password();
    client.connect();
    // The stop comes once b.bin is under way.
    bool second = false;
    FtpJobContext context(
        client,
        [&second](const JobProgress &progress) { second = second || progress.name.endsWith(u"b.bin"); },
        [&second] { return second; });
    const auto summary = TransferJobs::uploadFiles(context, qpath(local), {"a.bin", "b.bin", "c.bin"}, {});
    EXPECT_TRUE(summary.cancelled);
    EXPECT_EQ(summary.interruptedFile, QStringLiteral("b.bin"));
    EXPECT_EQ(summary.files, 1);
    EXPECT_EQ(readFile(fs::path(server.root()) / "a.bin"), block);
    EXPECT_FALSE(fs::exists(fs::path(server.root()) / "c.bin"));
    client.quit();
    fs::remove_all(local);
}

TEST_F(TransferJobsTest, ADownloadThatEndsShortFailsKeepsTheOldFileAndTheFolderDownloadGoesOn)
{
    writeFile(m_folder / "a.html", "old a");
    fs::create_directories(m_folder / "site");
    writeFile(m_folder / "site" / "a.html", "old site a");
    scriptLogin(m_server);
    download(m_server, "new"); // ▼ of a.html, listed with 10 bytes
    // A listing line longer than any entry needs is passed over and told, not a stop.
    listing(m_server,
            fileLine("a.html", 10) + dirLine("sub") + std::string(5000, 'x') + "\r\n" + fileLine("b.html", 3));
    m_server.answer("200 PORT ok").answer("550 sub: Permission denied.");
    download(m_server, "new"); // site/a.html, listed with 10 bytes
    download(m_server, "bbb").start();
    m_client.connect();
    EXPECT_THROW(TransferJobs::downloadFiles(m_context, qpath(m_folder), {{"a.html", 10}}), std::exception);
    const auto summary = TransferJobs::downloadFolder(m_context, qpath(m_folder), "site");
    EXPECT_EQ(sentAfterLogin(),
              (Commands{"retr a.html", "list site/", "list site/sub/", "retr site/a.html", "retr site/b.html"}));
    EXPECT_EQ(readFile(m_folder / "a.html"), "old a");
    EXPECT_EQ(readFile(m_folder / "site" / "a.html"), "old site a");
    EXPECT_EQ(readFile(m_folder / "site" / "b.html"), "bbb");
    EXPECT_EQ(summary.files, 1);
    ASSERT_EQ(summary.failed.size(), 2);
    EXPECT_TRUE(summary.failed.at(0).startsWith(QStringLiteral("site/sub/（")));
    EXPECT_TRUE(summary.failed.at(0).endsWith(QStringLiteral(" 550 sub: Permission denied.）")))
        << summary.failed.at(0).toStdString();
    EXPECT_TRUE(summary.failed.at(1).startsWith(QStringLiteral("site/a.html（"))) << summary.failed.at(1).toStdString();
    EXPECT_EQ(summary.skipped, QStringList{"site/（一覧の長すぎる行 1 行を読み飛ばしました）"});
    EXPECT_TRUE(summary.stopError.isEmpty());
}

TEST_F(TransferJobsTest, FolderDownloadMakesTheFoldersThenRetrievesEveryFile)
{
    scriptLogin(m_server);
    listing(m_server, dirLine(".") + dirLine("..") + fileLine("index.html", 10) + dirLine("img"));
    listing(m_server, fileLine("a.gif", 6));
    download(m_server, "<p>top</p>");
    download(m_server, "GIF89a").start();
    m_client.connect();
    const auto summary = TransferJobs::downloadFolder(m_context, qpath(m_folder), "site");
    EXPECT_EQ(sentAfterLogin(),
              (Commands{"list site/", "list site/img/", "retr site/index.html", "retr site/img/a.gif"}));
    EXPECT_EQ(readFile(m_folder / "site" / "index.html"), "<p>top</p>");
    EXPECT_EQ(readFile(m_folder / "site" / "img" / "a.gif"), "GIF89a");
    EXPECT_EQ(summary.files, 2);
    EXPECT_EQ(summary.bytes, 16);
}

TEST_F(TransferJobsTest, FolderDownloadNeverWritesOutsideTheBaseNorThroughALocalLink)
{
    const fs::path base = m_folder / "base";
    const fs::path outside = m_folder / "outside";
    fs::create_directories(base / "site");
    fs::create_directories(outside);
    // A link the user (or someone) left in the target tree leads out of it.
    fs::create_directory_symlink(outside, base / "site" / "img");
    fs::create_symlink(outside / "victim.html", base / "site" / "victim.html");
    scriptLogin(m_server);
    listing(m_server,
            fileLine("../../escape.html") + fileLine("/etc/x") + fileLine("a\\b") + fileLine("..") + fileLine(".")
                + linkLine("up", "..") + dirLine("img") + fileLine("victim.html") + fileLine("ok.html", 4));
    listing(m_server, fileLine("x.gif"));
    download(m_server, "fine").start();
    m_client.connect();
    const auto summary = TransferJobs::downloadFolder(m_context, qpath(base), "site");
    // img is a local link: nothing is written into or through it.
    EXPECT_EQ(sentAfterLogin(), (Commands{"list site/", "list site/img/", "retr site/ok.html"}));
    EXPECT_EQ(readFile(base / "site" / "ok.html"), "fine");
    EXPECT_TRUE(fs::is_empty(outside));
    EXPECT_FALSE(fs::exists(m_folder / "escape.html"));
    EXPECT_GE(summary.skipped.size(), 5) << summary.skipped.join(u'\n').toStdString();
}

TEST_F(TransferJobsTest, AFolderThatCannotBeMadeStopsTheDownloadWithItsName)
{
    fs::create_directories(m_folder / "base");
    writeFile(m_folder / "base" / "site", "a file where the folder should go");
    scriptLogin(m_server);
    listing(m_server, fileLine("index.html")).start();
    m_client.connect();
    try {
        TransferJobs::downloadFolder(m_context, qpath(m_folder / "base"), "site");
        ADD_FAILURE() << "no failure";
    } catch (const std::exception &error) {
        EXPECT_EQ(QString::fromUtf8(error.what()),
                  qpath(m_folder / "base" / "site") + QStringLiteral("は作成できません"));
    }
    EXPECT_EQ(sentAfterLogin(), (Commands{"list site/"}));
}

TEST_F(TransferJobsTest, TreeDeletionDeletesFilesAndLinksFirstThenFoldersLastToFirst)
{
    scriptLogin(m_server);
    listing(m_server, dirLine(".") + fileLine("index.html") + dirLine("img") + linkLine("up", ".."));
    listing(m_server, fileLine("a.gif"));
    m_server.answer("250 Deleted").answer("250 Deleted").answer("250 Deleted");
    m_server.answer("250 Removed").answer("250 Removed").start();
    m_client.connect();
    const auto summary = TransferJobs::deleteFolder(m_context, "site");
    EXPECT_EQ(sentAfterLogin(),
              (Commands{"list site/",
                        "list site/img/",
                        "DELE site/index.html",
                        "DELE site/up",
                        "DELE site/img/a.gif",
                        "RMD site/img",
                        "RMD site"}));
    EXPECT_EQ(summary.files, 3);
    EXPECT_EQ(summary.folders, 2);
}

TEST_F(TransferJobsTest, TheFirstFailingStepStopsTheCommandAndKeepsWhatWasDone)
{
    scriptLogin(m_server).answer("250 Deleted").answer("550 b.html: Permission denied").start();
    m_client.connect();
    try {
        TransferJobs::deleteFiles(m_context, {"a.html", "b.html", "c.html"});
        ADD_FAILURE() << "no failure";
    } catch (const std::exception &error) {
        EXPECT_STREQ(error.what(), "550 b.html: Permission denied");
    }
    EXPECT_EQ(sentAfterLogin(), (Commands{"DELE a.html", "DELE b.html"}));
}

TEST_F(TransferJobsTest, ARefusedDownloadOfAFolderLeavesNoFileBehind)
{
    scriptLogin(m_server).answer("200 PORT ok").answer("550 img: Not a regular file").start();
    m_client.connect();
    EXPECT_THROW(TransferJobs::downloadFiles(m_context, qpath(m_folder), {{"img", 4096}}), std::exception);
    EXPECT_EQ(sentAfterLogin(), (Commands{"retr img"}));
    EXPECT_TRUE(folderEntries().empty());
}

TEST_F(TransferJobsTest, SelectedDownloadsSkipNamesThatAreNoFileNamesAndLocalLinks)
{
    // A link in the local folder leads elsewhere; ▼ never writes through it.
    fs::create_directories(m_folder / "outside");
    fs::create_symlink(m_folder / "outside" / "victim.html", m_folder / "b.html");
    scriptLogin(m_server);
    download(m_server, "one").start();
    m_client.connect();
    const auto summary =
        TransferJobs::downloadFiles(m_context, qpath(m_folder), {{"../x", 1}, {"b.html", 5}, {"a.html", 3}});
    EXPECT_EQ(sentAfterLogin(), (Commands{"retr a.html"}));
    EXPECT_EQ(folderEntries(), (std::vector<fs::path>{"a.html", "b.html", "outside"}));
    EXPECT_TRUE(fs::is_empty(m_folder / "outside"));
    ASSERT_EQ(summary.skipped.size(), 2);
    EXPECT_EQ(summary.skipped.at(1), qpath(m_folder / "b.html") + QStringLiteral("（リンク）"));
}

// An upload cut short under a temporary name (as a publish sends its pages): the summary names
// the page once, by the name the user knows, and ends with the client's own words.
template<typename Error>
Error cutUpload(Error error, bool removed)
{
    error.setUnfinishedUpload({".qzweb-index.html.part", removed});
    return error;
}

// An upload cut short under a temporary name (as a publish sends its pages): the summary names
// the page once, by the name the user knows, and ends with the client's own words.
TEST_F(TransferJobsTest, ACutUploadIsToldOnceUnderThePagesNameWithTheProtocolsTextLast)
{
    const QString headline = QStringLiteral("index.html をアップロードできませんでした");
    const QString quota = QStringLiteral("途中までのファイルはサーバーから削除しました。"
                                         "サーバーの容量が足りません。不要なファイルを削除してください。");
    struct Case
    {
        const char *name;
        std::function<void()> fail;
        TransferJobs::OnFailure onFailure;
        QString stopError; // empty: the command goes on
        QStringList failed;
    };
    const Case cases[] = {
        {"▲ stops at a refusal",
         [] { throw cutUpload(FtpReplyError(552, "552 Quota exceeded."), true); },
         TransferJobs::OnFailure::Stop,
         headline + u'\n' + quota + QStringLiteral("\r\n552 Quota exceeded."),
         {}},
        {"a publish goes on past it",
         [] { throw cutUpload(FtpReplyError(552, "552 Quota exceeded."), true); },
         TransferJobs::OnFailure::GoOn,
         QString(),
         {QStringLiteral("index.html（") + quota + QStringLiteral(" 552 Quota exceeded.）")}},
        {"the server died", // last: it takes the connection along
         [this] {
             m_client.quit();
             throw cutUpload(ConnectionClosed(), false);
         },
         TransferJobs::OnFailure::GoOn,
         headline
             + QStringLiteral("\n途中までのファイルがサーバーに残っているかもしれません。"
                              "サーバーとの接続が切れました。もう一度接続してください。\r\n"
                              "Connection Closed Gracefully."),
         {}},
    };
    scriptLogin(m_server).start();
    m_client.connect();
    for (const Case &c : cases) {
        TransferJobs::Summary summary;
        TransferJobs::attempt(m_context, summary, QStringLiteral("index.html"), headline, c.onFailure, c.fail);
        EXPECT_EQ(summary.stopError.toStdString(), c.stopError.toStdString()) << c.name;
        EXPECT_EQ(summary.failed.join(u'|').toStdString(), c.failed.join(u'|').toStdString()) << c.name;
        EXPECT_EQ(summary.interruptedFile, c.stopError.isEmpty() ? QString() : QStringLiteral("index.html")) << c.name;
    }
    finish();
}

TEST(TransferNames, PlainNamesStayInTheirFolder)
{
    const struct
    {
        const char *name;
        bool plain;
    } cases[] = {{"index.html", true},
                 {"a b.htm", true},
                 {"", false},
                 {".", false},
                 {"..", false},
                 {"../x", false},
                 {"/etc/x", false},
                 {"a/b", false},
                 {"a\\b", false},
                 {"...", true}};
    for (const auto &c : cases)
        EXPECT_EQ(TransferJobs::isPlainLocalName(QString::fromLatin1(c.name)), c.plain) << c.name;
    // On the server "\" is a byte like any other (the second byte of 表 in Shift_JIS).
    EXPECT_TRUE(TransferJobs::isPlainRemoteName("\x95\x5c.htm"));
    EXPECT_FALSE(TransferJobs::isPlainRemoteName("a/b"));
}

TEST(FolderWalkLimits, ADeepOrHugeTreeIsRefused)
{
    const FolderWalk::ListFolder endless = [](const QByteArray &) -> QList<FolderWalk::RemoteEntry> {
        return {{"again", true}};
    };
    EXPECT_THROW(FolderWalk::walkRemoteFolder("top", endless, 100000, {64, 1000000}), std::exception);
    const FolderWalk::ListFolder wide = [](const QByteArray &path) -> QList<FolderWalk::RemoteEntry> {
        QList<FolderWalk::RemoteEntry> entries;
        if (path == "top/")
            for (int i = 0; i < 20; ++i)
                entries.append({QByteArray::number(i), false});
        return entries;
    };
    EXPECT_THROW(FolderWalk::walkRemoteFolder("top", wide, 100000, {64, 10}), std::exception);
    EXPECT_EQ(FolderWalk::walkRemoteFolder("top", wide, 100000, {64, 20}).files.size(), 20);

    // The same bounds on a local tree: three levels below the top, four entries.
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    ASSERT_TRUE(QDir(scratch.path()).mkpath(QStringLiteral("a/b/c")));
    const QByteArray top = QFile::encodeName(scratch.path());
    EXPECT_THROW(FolderWalk::walkLocalFolder(top, {2, 100}), std::exception);
    EXPECT_THROW(FolderWalk::walkLocalFolder(top, {64, 2}), std::exception);
    EXPECT_EQ(FolderWalk::walkLocalFolder(top, {3, 3}).folders.size(), 4);
}

// The program's preview of a page, written beside it in the site, is no part of the site: the
// folder upload and ▲ leave it behind, and the publish plan never sees it. A page of the user's
// under such a name goes up like any other.
TEST_F(TransferJobsTest, ThePreviewCopiesOfTheProgramNeverGoUp)
{
    qputenv("QZWEB_HOME", QFile::encodeName(qpath(m_folder / "data")));
    const fs::path site = makeSite();
    PreviewCopyRecord record(qpath(m_folder / "records"));
    const fs::path copy = site / "img" / "13_05_22.htm";
    record.writing(qpath(copy), "<p>draft</p>");
    AtomicFile::write(qpath(copy), "<p>draft</p>");
    writeFile(site / "13_05_23.htm", "<p>mine</p>");

    QStringList planned;
    for (const PublishPlan::LocalFile &file : PublishPlan::readLocal(QFile::encodeName(qpath(site))).files)
        planned.append(QFile::decodeName(file.path));
    EXPECT_EQ(planned, (QStringList{"13_05_23.htm", "index.html", "img/a.gif"}));

    scriptLogin(m_server);
    listing(m_server, "").answer("257 \"site\" created");
    listing(m_server, "").answer("257 \"site/img\" created");
    upload(m_server);
    upload(m_server);
    upload(m_server).start();
    m_client.connect();
    const auto folder = TransferJobs::uploadFolder(m_context, qpath(site), {});
    const auto selected = TransferJobs::uploadFiles(m_context, qpath(site / "img"), {"13_05_22.htm"}, {});
    EXPECT_EQ(sentAfterLogin(),
              (Commands{"list",
                        "MKD site",
                        "list site/",
                        "MKD site/img",
                        "STOR site/13_05_23.htm",
                        "STOR site/index.html",
                        "STOR site/img/a.gif"}));
    EXPECT_TRUE(folder.skipped.isEmpty()) << folder.skipped.join(u'\n').toStdString();
    EXPECT_EQ(selected.files, 0);
    ASSERT_EQ(selected.skipped.size(), 1);
    EXPECT_TRUE(selected.skipped.constFirst().startsWith(QStringLiteral("13_05_22.htm")));
    qunsetenv("QZWEB_HOME");
}

} // namespace
