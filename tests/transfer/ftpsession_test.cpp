#include "transfer/ftpsession.h"

#include "support/ftp/localfiles.h"
#include "support/ftp/scriptedftpserver.h"
#include "support/ftp/scriptedsession.h"
#include "transfer/ftp/ftpclient.h"
#include "transfer/ftp/ftpremotefiles.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

// Readable failure messages for the signal logs.
void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

// These tests give the session FTP's remote files and drive its client directly.
FtpClient &ftpOf(FtpJobContext &context)
{
    return static_cast<FtpRemoteFiles &>(context.files()).client();
}

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The session promises that a cancel ends a job within a second. The tests allow three, so a
// loaded machine cannot fail them, while the waits the cancel cuts short are set to 30 seconds.
constexpr auto cancelBound = std::chrono::seconds(3);
constexpr int signalWaitMs = 10000;
constexpr std::chrono::seconds longLimit{30};

FtpJobOutcome outcomeOf(const QSignalSpy &finished, qsizetype index = 0)
{
    return finished.at(index).at(1).value<FtpJobOutcome>();
}

// One session on the scripted server, with every signal written to one log in arrival order.
class SessionTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = freshTestFolder();
        m_session = std::make_unique<FtpSession>(std::make_unique<FtpRemoteFiles>());
        const auto log = [this](const QString &entry) {
            EXPECT_EQ(QThread::currentThread(), qApp->thread()) << entry.toStdString();
            m_log.push_back(entry);
        };
        QObject::connect(m_session.get(), &FtpSession::started, [log](quint64 job, const QString &name) {
            log(QStringLiteral("started %1 %2").arg(job).arg(name));
        });
        QObject::connect(m_session.get(), &FtpSession::progress, [this, log](quint64 job, const JobProgress &progress) {
            m_progress.push_back(progress.done);
            log(QStringLiteral("progress %1 of %2").arg(job).arg(progress.total));
        });
        QObject::connect(m_session.get(), &FtpSession::finished, [log](quint64 job, const FtpJobOutcome &outcome) {
            log(QStringLiteral("finished %1 %2").arg(job).arg(outcome.succeeded() ? "ok" : outcome.error));
        });
        QObject::connect(m_session.get(), &FtpSession::connected, [log] { log("connected"); });
        QObject::connect(m_session.get(), &FtpSession::disconnected, [log] { log("disconnected"); });
        QObject::connect(m_session.get(), &FtpSession::busyChanged, [log](bool busy) { log(busy ? "busy" : "idle"); });
    }

    void TearDown() override
    {
        m_session.reset();
        m_server.finish();
        EXPECT_EQ(m_server.failure(), "");
        fs::remove_all(m_folder);
    }

    // Connects with the given time limit for replies and data; waits until it is done.
    void connectWith(std::chrono::milliseconds limit)
    {
        const FtpJobOutcome outcome = run("connect", [this, limit](FtpJobContext &context) {
            FtpSettings &settings = ftpOf(context).settings();
            useScriptedServer(settings, m_server);
            settings.timeLimits.reply = settings.timeLimits.dataAccept = settings.timeLimits.dataIdle = limit;
            settings.timeLimits.abortReply = std::chrono::milliseconds(500);
            ftpOf(context).connect();
            return QVariant();
        });
        ASSERT_TRUE(outcome.succeeded()) << outcome.error.toStdString();
    }

    FtpJobOutcome run(const QString &name, FtpSession::Job job)
    {
        QSignalSpy finished(m_session.get(), &FtpSession::finished);
        m_session->submit(name, std::move(job));
        EXPECT_TRUE(finished.wait(signalWaitMs));
        return finished.isEmpty() ? FtpJobOutcome{} : outcomeOf(finished);
    }

    // Submits the job, cancels it once it is under way (signalled by waitFor), and returns
    // its outcome and how long the cancel took.
    std::pair<FtpJobOutcome, Clock::duration>
    cancelWhileRunning(FtpSession::Job job, const char *waitFor, std::size_t commandsSent)
    {
        QSignalSpy finished(m_session.get(), &FtpSession::finished);
        QSignalSpy underWay(m_session.get(), waitFor);
        m_session->submit("job", std::move(job));
        EXPECT_TRUE(underWay.wait(signalWaitMs));
        waitUntilServerHas(commandsSent);
        QThread::msleep(50); // and the job is in its wait
        const auto start = Clock::now();
        m_session->cancel();
        EXPECT_TRUE(finished.wait(signalWaitMs));
        const Clock::duration took = Clock::now() - start;
        return {finished.isEmpty() ? FtpJobOutcome{} : outcomeOf(finished), took};
    }

    // Waits until the server has read the command that the running job sends: started()
    // comes before the job's first step, and a cancel before it would cut nothing.
    void waitUntilServerHas(std::size_t commandCount)
    {
        const auto giveUp = Clock::now() + std::chrono::milliseconds(signalWaitMs);
        while (m_server.commands().size() < commandCount && Clock::now() < giveUp)
            QThread::msleep(5);
        ASSERT_EQ(m_server.commands().size(), commandCount);
    }

    // The current directory by a job of its own: shows whether the session is still usable.
    FtpJobOutcome currentDir()
    {
        return run("pwd", [](FtpJobContext &context) {
            return QVariant(QString::fromStdString(ftpOf(context).currentDir()));
        });
    }

    ScriptedFtpServer m_server;
    fs::path m_folder;
    std::unique_ptr<FtpSession> m_session;
    std::vector<QString> m_log;
    std::vector<qint64> m_progress;
};

TEST_F(SessionTest, JobSignalsArriveInOrderOnTheOwnersThread)
{
    const std::string bytes(3 * 1024 * 1024, 'p');
    scriptLogin(m_server).answer("200 PORT ok").answer("150 Opening").sendData(bytes).reply("226 Done").start();
    connectWith(longLimit);
    const fs::path target = m_folder / "page.html";
    const FtpJobOutcome outcome = run("page.html", [&](FtpJobContext &context) {
        ftpOf(context).retrieve("page.html", target.string(), true, bytes.size(), context.progressFor("page.html"));
        return QVariant(42);
    });
    EXPECT_TRUE(outcome.succeeded()) << outcome.error.toStdString();
    EXPECT_EQ(outcome.result.toInt(), 42);
    EXPECT_EQ(readFile(target), bytes);

    // Whatever the number of reports, they come between started and finished, never go
    // backwards, and the last one says the file is complete.
    ASSERT_FALSE(m_progress.empty());
    EXPECT_TRUE(std::is_sorted(m_progress.begin(), m_progress.end()));
    EXPECT_EQ(m_progress.back(), static_cast<qint64>(bytes.size()));
    std::vector<QString> expected{
        "busy", "started 1 connect", "connected", "finished 1 ok", "idle", "busy", "started 2 page.html"};
    expected.insert(expected.end(), m_progress.size(), QStringLiteral("progress 2 of %1").arg(bytes.size()));
    expected.insert(expected.end(), {"finished 2 ok", "idle"});
    EXPECT_EQ(m_log, expected);
    EXPECT_FALSE(m_session->isBusy());
}

TEST_F(SessionTest, FailedConnectionAttemptIsReportedAsDisconnected)
{
    std::uint16_t port = 0;
    { // a port that was free a moment ago and has no listener now
        ScriptedFtpServer closed;
        port = closed.port();
    }
    run("connect", [port](FtpJobContext &context) {
        ftpOf(context).settings().host = "127.0.0.1";
        ftpOf(context).settings().port = port;
        ftpOf(context).connect();
        return QVariant();
    });
    QCoreApplication::processEvents();
    EXPECT_EQ(
        m_log,
        (std::vector<QString>{"busy",
                              "started 1 connect",
                              "disconnected",
                              "finished 1 サーバーに接続できませんでした。ホスト名とポートを確かめてください。\r\n"
                              "Socket Error # 10061\r\nConnection refused.",
                              "idle"}));
}

TEST_F(SessionTest, CancelEndsAJobWaitingForASilentServer)
{
    scriptLogin(m_server).receive().start(); // takes PWD, never answers
    connectWith(longLimit);
    const auto [outcome, took] = cancelWhileRunning(
        [](FtpJobContext &context) { return QVariant(QString::fromStdString(ftpOf(context).currentDir())); },
        SIGNAL(started(quint64, QString)),
        loginCommands.size() + 1);
    EXPECT_LT(took, cancelBound);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_FALSE(outcome.error.isEmpty());
    QCoreApplication::processEvents();
    // The reply may still come, for a command no longer asked: the connection is closed.
    EXPECT_NE(std::find(m_log.begin(), m_log.end(), "disconnected"), m_log.end());
    const FtpJobOutcome after = run("check", [](FtpJobContext &context) { return ftpOf(context).isConnected(); });
    EXPECT_TRUE(after.succeeded());
    EXPECT_FALSE(after.result.toBool());
}

struct CancelledTransfer
{
    const char *name;
    bool serverAnswersAbort;
};

class CancelDuringATransfer : public SessionTest, public testing::WithParamInterface<CancelledTransfer>
{};

TEST_P(CancelDuringATransfer, EndsInTimeAndKeepsTheOldFile)
{
    const bool answers = GetParam().serverAnswersAbort;
    const fs::path target = m_folder / "index.html";
    writeFile(target, "my good page");
    scriptLogin(m_server).answer("200 PORT ok").answer("150 Opening").stallData("<html><body>half of it");
    if (answers)
        m_server.answer("426 Transfer aborted.").reply("226 ABOR successful").answer("257 \"/www\"");
    else
        m_server.receive(); // takes ABOR, answers nothing
    m_server.start();
    connectWith(longLimit);
    const auto [outcome, took] = cancelWhileRunning(
        [&](FtpJobContext &context) {
            ftpOf(context).retrieve(
                "index.html", target.string(), true, std::nullopt, context.progressFor("index.html"));
            return QVariant();
        },
        SIGNAL(progress(quint64, JobProgress)),
        loginCommands.size() + 2);
    EXPECT_LT(took, cancelBound);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(readFile(target), "my good page");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 1); // no partial file

    const FtpJobOutcome after = currentDir();
    QCoreApplication::processEvents();
    const bool disconnected = std::find(m_log.begin(), m_log.end(), "disconnected") != m_log.end();
    if (answers) { // the connection stays and its replies stay in step
        EXPECT_TRUE(after.succeeded()) << after.error.toStdString();
        EXPECT_EQ(after.result.toString(), "/www");
        EXPECT_FALSE(disconnected);
    } else {
        EXPECT_FALSE(after.succeeded());
        EXPECT_TRUE(disconnected);
    }
}

INSTANTIATE_TEST_SUITE_P(Servers,
                         CancelDuringATransfer,
                         testing::Values(CancelledTransfer{"AnswersAbort", true},
                                         CancelledTransfer{"SilentAfterwards", false}),
                         [](const testing::TestParamInfo<CancelledTransfer> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(SessionTest, CancelDropsWaitingJobsWithoutRunningThem)
{
    scriptLogin(m_server).receive().start();
    connectWith(longLimit);
    m_log.clear();
    QSignalSpy finished(m_session.get(), &FtpSession::finished);
    QSignalSpy started(m_session.get(), &FtpSession::started);
    int ran = 0;
    m_session->submit("stalled", [](FtpJobContext &context) { return QVariant(ftpOf(context).currentDir().c_str()); });
    m_session->submit("second", [&ran](FtpJobContext &) { return QVariant(++ran); });
    m_session->submit("third", [&ran](FtpJobContext &) { return QVariant(++ran); });
    ASSERT_TRUE(started.wait(signalWaitMs));
    waitUntilServerHas(loginCommands.size() + 1);
    m_session->cancel();
    while (finished.size() < 3 && finished.wait(signalWaitMs)) {
    }
    ASSERT_EQ(finished.size(), 3);
    EXPECT_EQ(ran, 0);
    for (qsizetype index = 0; index < 3; ++index)
        EXPECT_TRUE(outcomeOf(finished, index).cancelled) << index;
    EXPECT_EQ(started.size(), 1);
    EXPECT_FALSE(m_session->isBusy());
    EXPECT_EQ(std::count(m_log.begin(), m_log.end(), "idle"), 1);
}

TEST_F(SessionTest, DestroyingTheSessionMidJobJoinsItsThreadInTime)
{
    scriptLogin(m_server).receive().start(); // takes PWD, never answers
    connectWith(longLimit);
    QSignalSpy started(m_session.get(), &FtpSession::started);
    m_session->submit("stalled", [](FtpJobContext &context) { return QVariant(ftpOf(context).currentDir().c_str()); });
    ASSERT_TRUE(started.wait(signalWaitMs));
    waitUntilServerHas(loginCommands.size() + 1);
    const auto start = Clock::now();
    m_session.reset();
    EXPECT_LT(Clock::now() - start, cancelBound);
    QCoreApplication::processEvents(); // anything the worker posted last went with the session
}

} // namespace
