#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>
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
    PublishCrew(FtpJobContext &context, int wanted);
    ~PublishCrew();
    PublishCrew(const PublishCrew &) = delete;
    PublishCrew &operator=(const PublishCrew &) = delete;

    // Runs the tasks 0 .. count-1, each to its end on one connection, until all ran or one
    // asked to stop all; returns once every connection is idle. The other connections log in on
    // their own threads meanwhile and take tasks once they stand.
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

    FtpJobContext &m_context;
    std::vector<std::unique_ptr<RemoteFiles>> m_others;
    Queue *m_queue = nullptr; // the run's
    int m_used = 0;
};
