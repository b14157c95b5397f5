#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class FtpJobContext;
class RemoteFiles;

// The connections a publish sends its files over: the session's own, and up to a few more made
// for the publish alone, as FileZilla does. At a round trip of 20 ms a small file takes about
// five of them on one connection, so several connections at once shorten a publish of many
// files nearly by their number; four in all, since hosts limit how many a user may open (a
// beginner's host often to a handful) and more gain little once the line, not the round trips,
// is what a file waits for. A connection the server refuses (too many, a second login turned
// down) or that is lost on the way is no failure: the others go on with its work. Each is used
// by one thread alone, the session's own by the job's; the session's stop reaches them all.
class PublishCrew
{
public:
    static constexpr int maxConnections = 4;

    // How a task ended on its connection.
    enum class End {
        Done,
        ConnectionLost, // this connection can take no more; the task goes to another, as it stands
        StopAll,        // the user's stop, or the session's own connection lost
    };
    // Runs one task on the connection the context reaches; called on that connection's thread.
    using Task = std::function<End(FtpJobContext &context, int task)>;

    // wanted: the connections the work could use, the session's included (one: no other made).
    // The others log in from now on, each on its thread, while the session's goes on with the
    // job; they wait for run().
    PublishCrew(FtpJobContext &context, int wanted);
    // Ends the others' logins and waits for their threads.
    ~PublishCrew();
    PublishCrew(const PublishCrew &) = delete;
    PublishCrew &operator=(const PublishCrew &) = delete;

    // Once: runs the tasks 0 .. count-1, each to its end on one connection, until all ran or
    // one asked to stop all; returns once every connection is done. The others take tasks as
    // soon as they stand.
    void run(int count, const Task &task);

    // From a task under way: that many more tasks, numbered on from the last.
    void more(int count);

    // How many connections took part in the last run, the session's included.
    int connectionsUsed() const { return m_used; }

    // The connections that many steps (files to send, folders to list) ask for: one more for
    // every few.
    static int wantedFor(qsizetype steps);

private:
    class Queue;

    void serve(RemoteFiles &files);
    void work(FtpJobContext &context, bool sessionsOwn);
    void finish();

    FtpJobContext &m_context;
    std::vector<std::unique_ptr<RemoteFiles>> m_others;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex; // guards what follows
    std::condition_variable m_running;
    Queue *m_queue = nullptr; // the run's
    const Task *m_task = nullptr;
    bool m_over = false;
    int m_used = 1;
};
