#pragma once

#include "transfer/ftp/ftpclient.h"
#include "transfer/jobprogress.h"

#include <QString>

#include <chrono>
#include <functional>

// What a job of an FtpSession gets to work with, on the session's worker thread: the client,
// a way to report progress to the window, and whether the window asked it to stop.
class FtpJobContext
{
public:
    using Post = std::function<void(const JobProgress &progress)>;
    using StopRequested = std::function<bool()>;

    FtpJobContext(FtpClient &client, Post post, StopRequested stopRequested);

    FtpClient &client() { return m_client; }

    bool stopRequested() const { return m_stopRequested(); }
    // Throws FtpCancelledError once a stop was requested: for jobs of many steps, between them.
    void checkStop() const;

    // Passes progress on to the window, at most every progressInterval, but always when a file
    // is complete and when the file or its size changed: the window repaints no faster, and a
    // queue of stale reports would only lag.
    void reportProgress(const JobProgress &progress);
    // For a job of one step: done of total bytes, name what it works on.
    void reportProgress(qint64 done, qint64 total, const QString &name) { reportProgress({done, total, name}); }
    // For list(), retrieve() and store(): reports each block under name and stops the
    // transfer once the window asked to stop.
    FtpClient::Progress progressFor(const QString &name);

    static constexpr std::chrono::milliseconds progressInterval{50};

private:
    using Clock = std::chrono::steady_clock;

    FtpClient &m_client;
    Post m_post;
    StopRequested m_stopRequested;
    Clock::time_point m_lastPost{};
    JobProgress m_lastPosted;
};
