#pragma once

#include "transfer/ftpjobcontext.h"
#include "transfer/ftpjoboutcome.h"
#include "transfer/jobprogress.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class RemoteFiles;

// The transfer window's connection: owns the remote files it reaches the server through and the
// worker thread that alone uses them, and runs the jobs the window submits (a job is a function
// of the remote files, run to its end) one at a time, in order. Everything it reports arrives as signals on the thread
// that owns the session, so the window never blocks and never touches the connection itself.
// cancel() ends the running job within about a second, even when the server went silent.
class FtpSession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FtpSession)

public:
    // Runs on the worker thread; its return value becomes FtpJobOutcome::result and anything
    // it throws becomes FtpJobOutcome::error.
    using Job = std::function<QVariant(FtpJobContext &context)>;

    explicit FtpSession(QObject *parent = nullptr);
    // Over files of the caller's choosing (a test's).
    explicit FtpSession(std::unique_ptr<RemoteFiles> files, QObject *parent = nullptr);
    // Cancels what runs and what waits, and joins the worker thread.
    ~FtpSession() override;

    // Queues the job behind any others and returns its id, which every signal about it
    // carries. name is what started() reports (e.g. the file being uploaded).
    quint64 submit(const QString &name, Job job);

    // Ends the running job and drops the waiting ones; each still gets its finished(), with
    // cancelled set. A transfer is aborted with ABOR when the server answers at once; a job
    // waiting on a silent server loses the connection (disconnected() follows).
    void cancel();

    // True from submit() until the last job's finished() has been delivered: while it is,
    // commands that would start another FTP operation stay disabled.
    bool isBusy() const { return m_unfinished > 0; }

signals:
    void started(quint64 job, const QString &name);
    void progress(quint64 job, const JobProgress &progress);
    void finished(quint64 job, const FtpJobOutcome &outcome);
    void busyChanged(bool busy);
    // The connection's own notifications: the TCP connection stands; the login succeeded (and
    // TLS, where asked for, stands); the connection closed, or an attempt to connect ended
    // without one.
    void connected();
    void loggedIn();
    void disconnected();

private:
    struct Queued
    {
        quint64 id = 0;
        QString name;
        Job job;
    };

    void run();
    void runOne(Queued &queued);
    // Runs f on the owner's thread, after everything posted before it.
    void post(std::function<void()> f);
    void deliverFinished(quint64 id, const FtpJobOutcome &outcome);

    std::unique_ptr<RemoteFiles> m_files; // used by the worker thread only (interrupt() aside)

    // Owner's thread only.
    quint64 m_lastId = 0;
    int m_unfinished = 0;

    std::mutex m_mutex; // guards the queue, m_runningId, m_stopping and the interrupter's state
    std::condition_variable m_wake;
    std::deque<Queued> m_queue;
    quint64 m_runningId = 0;
    bool m_stopping = false;
    std::atomic<quint64> m_cancelUpTo{0}; // jobs with ids up to this one are cancelled

    std::thread m_thread; // last: started once everything above exists
};
