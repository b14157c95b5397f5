#include "transfer/publishcrew.h"

#include "transfer/ftpjobcontext.h"
#include "transfer/remotefiles.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace {

// A connection more pays for its login (three or four round trips, seven over TLS) once it
// takes this many files or folders (about five round trips each, one) off the others.
constexpr qsizetype kStepsPerConnection = 3;

} // namespace

// The tasks not yet run, shared by the connections' threads. A connection without a task waits
// while others run theirs: those may add tasks, or give theirs back when their connection is lost.
class PublishCrew::Queue
{
public:
    explicit Queue(int count) : m_count(count) {}

    std::optional<int> take()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            if (m_stopped)
                return std::nullopt;
            if (!m_givenBack.empty()) {
                const int task = m_givenBack.front();
                m_givenBack.pop_front();
                ++m_busy;
                return task;
            }
            if (m_next < m_count) {
                ++m_busy;
                return m_next++;
            }
            if (m_busy == 0)
                return std::nullopt;
            m_changed.wait(lock);
        }
    }

    void ended(int task, End end)
    {
        {
            const std::lock_guard lock(m_mutex);
            --m_busy;
            if (end == End::ConnectionLost)
                m_givenBack.push_back(task);
            else if (end == End::StopAll)
                m_stopped = true;
        }
        m_changed.notify_all();
    }

    void grow(int count)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_count += count;
        }
        m_changed.notify_all();
    }

    void stopAll()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<int> m_givenBack;
    int m_next = 0;
    int m_count;
    int m_busy = 0;
    bool m_stopped = false;
};

PublishCrew::PublishCrew(FtpJobContext &context, int wanted) : m_context(context)
{
    for (int index = 1; index < std::min(wanted, maxConnections); ++index) {
        std::unique_ptr<RemoteFiles> other = context.files().another();
        if (!other)
            break;
        m_others.push_back(std::move(other));
    }
    for (const std::unique_ptr<RemoteFiles> &other : m_others)
        m_threads.emplace_back([this, files = other.get()] { serve(*files); });
}

PublishCrew::~PublishCrew()
{
    finish();
}

int PublishCrew::wantedFor(qsizetype steps)
{
    return static_cast<int>(
        std::clamp<qsizetype>((steps + kStepsPerConnection - 1) / kStepsPerConnection, 1, maxConnections));
}

void PublishCrew::more(int count)
{
    m_queue->grow(count);
}

void PublishCrew::serve(RemoteFiles &files)
{
    try {
        files.connectAgain();
    } catch (...) {
        return; // refused, or stopped: the others do its share
    }
    {
        std::unique_lock lock(m_mutex);
        ++m_used;
        m_running.wait(lock, [this] { return m_queue != nullptr || m_over; });
        if (m_queue == nullptr) {
            lock.unlock();
            files.quit();
            return;
        }
    }
    FtpJobContext context(
        files, [](const JobProgress &) {}, [this] { return m_context.stopRequested(); });
    try {
        files.resumeFullListings();
        work(context, false);
    } catch (...) {
        // Its task went back to the others.
    }
    files.quit();
}

void PublishCrew::work(FtpJobContext &context, bool sessionsOwn)
{
    while (const std::optional<int> next = m_queue->take()) {
        End end = End::StopAll;
        try {
            end = (*m_task)(context, *next);
        } catch (...) {
            m_queue->ended(*next, sessionsOwn ? End::StopAll : End::ConnectionLost);
            throw;
        }
        if (sessionsOwn && end == End::ConnectionLost)
            end = End::StopAll;
        m_queue->ended(*next, end);
        if (end != End::Done)
            return;
    }
}

void PublishCrew::finish()
{
    {
        const std::lock_guard lock(m_mutex);
        m_over = true;
    }
    m_running.notify_all();
    if (m_queue != nullptr)
        m_queue->stopAll();
    // Every task ran (or all stop): a connection still logging in is not waited for.
    for (const std::unique_ptr<RemoteFiles> &other : m_others)
        other->interrupt();
    for (std::thread &thread : m_threads) {
        if (thread.joinable())
            thread.join();
    }
}

void PublishCrew::run(int count, const Task &task)
{
    Queue queue(count);
    {
        const std::lock_guard lock(m_mutex);
        m_queue = &queue;
        m_task = &task;
    }
    m_running.notify_all();
    try {
        work(m_context, true);
    } catch (...) {
        finish();
        m_queue = nullptr;
        throw;
    }
    finish();
    m_queue = nullptr;
}
