#include "transfer/transferjobs.h"

#include "support/ftp/localfiles.h"
#include "support/ftp/scriptedsession.h"
#include "transfer/ftpjobcontext.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
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
    FtpJobContext m_context{m_client, [](qint64, qint64, const QString &) {}, [] { return false; }};

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
                + linkLine("up", "..") + dirLine("img") + fileLine("victim.html") + fileLine("ok.html"));
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

TEST_F(TransferJobsTest, SelectedDownloadsSkipNamesThatAreNoFileNames)
{
    scriptLogin(m_server);
    download(m_server, "one").start();
    m_client.connect();
    const auto summary = TransferJobs::downloadFiles(m_context, qpath(m_folder), {{"../x", 1}, {"a.html", 3}});
    EXPECT_EQ(sentAfterLogin(), (Commands{"retr a.html"}));
    EXPECT_EQ(folderEntries(), (std::vector<fs::path>{"a.html"}));
    EXPECT_EQ(summary.skipped.size(), 1);
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
    EXPECT_THROW(FolderWalk::walkLocalFolder(scratch.path(), u'/', {2, 100}), std::exception);
    EXPECT_THROW(FolderWalk::walkLocalFolder(scratch.path(), u'/', {64, 2}), std::exception);
    EXPECT_EQ(FolderWalk::walkLocalFolder(scratch.path(), u'/', {3, 3}).folders.size(), 4);
}

} // namespace
