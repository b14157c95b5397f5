#include "transfer/ftpsession.h"

#include "transfer/ftp/ftperrortext.h"
#include "transfer/remoteconnection.h"
#include "transfer/remoteerrors.h"

#include <QCoreApplication>
#include <QMetaObject>

FtpSession::FtpSession(QObject *parent) : FtpSession(std::make_unique<RemoteConnection>(), parent)
{}

FtpSession::FtpSession(std::unique_ptr<RemoteFiles> files, QObject *parent) : QObject(parent), m_files(std::move(files))
{
    m_files->setOnConnected([this] { post([this] { emit connected(); }); });
    m_files->setOnLoggedIn([this] { post([this] { emit loggedIn(); }); });
    m_files->setOnDisconnected([this] { post([this] { emit disconnected(); }); });
    m_thread = std::thread([this] { run(); });
}

FtpSession::~FtpSession()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_cancelUpTo = m_lastId;
        if (m_runningId != 0)
            m_files->interrupt();
    }
    m_wake.notify_all();
    m_thread.join();
    // Whatever the worker posted last is dropped with this object, unseen.
}

quint64 FtpSession::submit(const QString &name, Job job)
{
    const quint64 id = ++m_lastId;
    {
        const std::lock_guard lock(m_mutex);
        m_queue.push_back(Queued{id, name, std::move(job)});
    }
    m_wake.notify_one();
    if (m_unfinished++ == 0)
        emit busyChanged(true);
    return id;
}

void FtpSession::cancel()
{
    const std::lock_guard lock(m_mutex);
    m_cancelUpTo = m_lastId;
    // Under the lock, so the interruption reaches the job it was meant for and never the
    // next one, whose start clears it.
    if (m_runningId != 0)
        m_files->interrupt();
}

void FtpSession::run()
{
    for (;;) {
        Queued next;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                return;
            next = std::move(m_queue.front());
            m_queue.pop_front();
            m_runningId = next.id;
            m_files->resetInterrupt();
        }
        runOne(next);
        const std::lock_guard lock(m_mutex);
        m_runningId = 0;
    }
}

void FtpSession::runOne(Queued &queued)
{
    const quint64 id = queued.id;
    const auto stopRequested = [this, id] { return id <= m_cancelUpTo.load(std::memory_order_acquire); };
    FtpJobOutcome outcome;
    if (stopRequested()) {
        outcome.cancelled = true;
        outcome.error = ftpErrorText(RemoteCancelledError());
        post([this, id, outcome] { deliverFinished(id, outcome); });
        return;
    }
    post([this, id, name = queued.name] { emit started(id, name); });
    FtpJobContext context(
        *m_files,
        [this, id](const JobProgress &reported) { post([this, id, reported] { emit progress(id, reported); }); },
        stopRequested);
    try {
        outcome.result = queued.job(context);
    } catch (const std::exception &error) {
        outcome.error = ftpErrorText(error);
        outcome.cancelled = dynamic_cast<const RemoteCancelled *>(&error) != nullptr;
    } catch (...) {
        outcome.error = QStringLiteral("原因のわからないエラーで中止しました。もう一度試してください。");
    }
    // A failure that a cancel caused (a connection cut while waiting) is the cancel.
    if (!outcome.error.isEmpty() && stopRequested())
        outcome.cancelled = true;
    queued.job = nullptr; // what the job holds goes now, on this thread, not with the queue entry
    post([this, id, outcome] { deliverFinished(id, outcome); });
}

void FtpSession::post(std::function<void()> f)
{
    QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
}

void FtpSession::deliverFinished(quint64 id, const FtpJobOutcome &outcome)
{
    emit finished(id, outcome);
    // Counted down after the signal: a handler that submits the next job keeps the session
    // busy without a flicker of busyChanged(false).
    if (--m_unfinished == 0)
        emit busyChanged(false);
}
