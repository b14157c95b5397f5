#include "transfer/publishjobs.h"

#include "support/ftp/pyftpdserver.h"
#include "transfer/ftp/ftpclient.h"
#include "transfer/ftpjobcontext.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using PublishPlan::State;

// A site folder published to a real pyftpdlib server on loopback, whose command log shows what
// went on the wire; the manifest goes to a data folder of the test's own.
class PublishToServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid() && m_local.isValid());
        qputenv("QZWEB_HOME", QFile::encodeName(m_home.path()));
        m_client.settings().host = "127.0.0.1";
        m_client.settings().port = m_server.port();
        m_client.settings().user = m_server.user();
        m_client.settings().password = m_server.password();
        m_client.connect();
        m_site = {QStringLiteral("127.0.0.1"), QStringLiteral("qzweb"), m_local.path(), QString()};
    }
    void TearDown() override { qunsetenv("QZWEB_HOME"); }

    void writeLocal(const QString &path, const QByteArray &content)
    {
        std::filesystem::create_directories(std::filesystem::path(m_local.filePath(path).toStdString()).parent_path());
        QFile file(m_local.filePath(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    PublishJobs::Scan scan() { return PublishJobs::scan(m_context, m_site); }
    TransferJobs::Summary publish(const PublishJobs::Scan &scan) { return PublishJobs::publish(m_context, scan); }

    std::size_t sent(const char *verb) const
    {
        const std::vector<std::string> commands = m_server.commands();
        return static_cast<std::size_t>(std::count(commands.begin(), commands.end(), verb));
    }
    bool onServer(const char *path) const { return std::filesystem::exists(m_server.root() + "/" + path); }

    static QList<std::pair<QByteArray, State>> states(const PublishJobs::Scan &scan)
    {
        QList<std::pair<QByteArray, State>> list;
        for (const PublishPlan::Item &item : scan.plan.items)
            list.append({item.remote, item.state});
        return list;
    }

    QTemporaryDir m_home;
    QTemporaryDir m_local;
    PyFtpdServer m_server{PyFtpdServer::CommandLog::On};
    FtpClient m_client;
    FtpJobContext m_context{m_client, [](const JobProgress &) {}, [] { return false; }};
    PublishJobs::Site m_site;
};

TEST_F(PublishToServer, OnlyTheEditedFileIsSentAgainAndADeletedOneWaitsForTheUsersTick)
{
    writeLocal(QStringLiteral("index.html"), "<p>top</p>");
    writeLocal(QStringLiteral("diary/day 1.html"), "<p>one</p>");
    writeLocal(QStringLiteral("diary/img/a.gif"), "GIF89a");
    const TransferJobs::Summary first = publish(scan());
    EXPECT_EQ(first.files, 3);
    EXPECT_EQ(first.folders, 2);
    EXPECT_TRUE(first.failed.isEmpty() && first.notes.isEmpty());
    EXPECT_TRUE(onServer("diary/img/a.gif"));
    EXPECT_FALSE(onServer(".qzweb-index.html.part"));
    EXPECT_EQ(sent("STOR"), 3u);
    EXPECT_EQ(sent("RNTO"), 3u);

    // Same size, other content: sent, and nothing else is.
    writeLocal(QStringLiteral("diary/day 1.html"), "<p>two</p>");
    {
        const PublishJobs::Scan edited = scan();
        EXPECT_EQ(states(edited),
                  (QList<std::pair<QByteArray, State>>{{"index.html", State::Unchanged},
                                                       {"diary/day 1.html", State::Changed},
                                                       {"diary/img/a.gif", State::Unchanged}}));
        EXPECT_EQ(publish(edited).files, 1);
    }
    EXPECT_EQ(sent("STOR"), 4u);

    ASSERT_TRUE(QFile::remove(m_local.filePath(QStringLiteral("index.html"))));
    PublishJobs::Scan deleted = scan();
    EXPECT_EQ(states(deleted).constLast(), (std::pair<QByteArray, State>("index.html", State::ServerOnly)));
    EXPECT_FALSE(deleted.plan.items.constLast().checked);
    EXPECT_EQ(publish(deleted).deleted, 0);
    EXPECT_TRUE(onServer("index.html"));
    deleted.plan.items.last().checked = true;
    EXPECT_EQ(publish(deleted).deleted, 1);
    EXPECT_FALSE(onServer("index.html"));
    EXPECT_EQ(sent("STOR"), 4u);
    EXPECT_EQ(sent("DELE"), 1u);
}

TEST_F(PublishToServer, APublishThatFailedOnOneFileResumesWithThatFile)
{
    for (const char *name : {"a.html", "b.html", "c.html"})
        writeLocal(QString::fromLatin1(name), name);
    {
        const PublishJobs::Scan plan = scan();
        // A folder in the file's place: the server refuses both the rename and the direct upload.
        std::filesystem::create_directory(m_server.root() + "/b.html");
        const TransferJobs::Summary failed = publish(plan);
        EXPECT_EQ(failed.files, 2);
        ASSERT_EQ(failed.failed.size(), 1);
        EXPECT_TRUE(failed.failed.constFirst().startsWith(QStringLiteral("b.html")));
        // That rename was refused for that file alone: the next one went by its temporary name
        // still, and nothing went under its own name to tell the user of.
        EXPECT_TRUE(failed.notes.isEmpty()) << failed.notes.join(u'\n').toStdString();
        EXPECT_EQ(sent("RNTO"), 3u);
        EXPECT_TRUE(onServer("c.html"));
        EXPECT_FALSE(onServer(".qzweb-b.html.part"));
    }

    std::filesystem::remove(m_server.root() + "/b.html");
    const PublishJobs::Scan resumed = scan();
    EXPECT_EQ(states(resumed),
              (QList<std::pair<QByteArray, State>>{
                  {"a.html", State::Unchanged}, {"b.html", State::New}, {"c.html", State::Unchanged}}));
}

TEST_F(PublishToServer, FilesOfTheSameSizeFromAnotherProgramAreComparedByContent)
{
    writeLocal(QStringLiteral("same.html"), "same");
    writeLocal(QStringLiteral("other.html"), "ours");
    for (const auto &[name, content] : {std::pair{"same.html", "same"}, std::pair{"other.html", "them"}}) {
        std::FILE *file = std::fopen((m_server.root() + "/" + name).c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs(content, file);
        std::fclose(file);
    }
    {
        PublishJobs::Scan compared = scan();
        EXPECT_EQ(compared.plan.count(State::SameSize), 2);
        PublishJobs::compareSameSize(m_context, compared);
        EXPECT_EQ(
            states(compared),
            (QList<std::pair<QByteArray, State>>{{"other.html", State::Changed}, {"same.html", State::Unchanged}}));
        // Publishing records the file found equal: the next plan knows it without asking.
        EXPECT_EQ(publish(compared).files, 1);
    }
    EXPECT_EQ(scan().plan.count(State::Unchanged), 2);
}

} // namespace
