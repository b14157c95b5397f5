#pragma once

#include "transfer/jobprogress.h"
#include "transfer/remotefiles.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class FtpClient;

// What a job of an FtpSession gets to work with, on the session's worker thread: the server's
// files, a way to report progress to the window, and whether the window asked it to stop.
class FtpJobContext
{
public:
    using Post = std::function<void(const JobProgress &progress)>;
    using StopRequested = std::function<bool()>;

    FtpJobContext(RemoteFiles &files, Post post, StopRequested stopRequested);
    // For a program that drives an FtpClient of its own (the benchmark): the jobs reach it
    // through the FTP implementation of the interface.
    FtpJobContext(FtpClient &client, Post post, StopRequested stopRequested);
    ~FtpJobContext();
    FtpJobContext(const FtpJobContext &) = delete;
    FtpJobContext &operator=(const FtpJobContext &) = delete;

    RemoteFiles &files() { return m_files; }

    bool stopRequested() const { return m_stopRequested(); }
    // Throws RemoteCancelledError once a stop was requested: for jobs of many steps, between them.
    void checkStop() const;

    // Passes progress on to the window, at most every progressInterval, but always when a file
    // is complete and when the file or its size changed: the window repaints no faster, and a
    // queue of stale reports would only lag.
    void reportProgress(const JobProgress &progress);
    // For a job of one step: done of total bytes, name what it works on.
    void reportProgress(qint64 done, qint64 total, const QString &name) { reportProgress({done, total, name}); }
    // For list(), retrieve() and store(): reports each block under name and stops the
    // transfer once the window asked to stop.
    RemoteFiles::Progress progressFor(const QString &name);

    static constexpr std::chrono::milliseconds progressInterval{50};

private:
    using Clock = std::chrono::steady_clock;

    std::unique_ptr<RemoteFiles> m_owned;
    RemoteFiles &m_files;
    Post m_post;
    StopRequested m_stopRequested;
    Clock::time_point m_lastPost{};
    JobProgress m_lastPosted;
};
