#include "transfer/ftpjobcontext.h"

#include "transfer/ftp/ftpremotefiles.h"
#include "transfer/remoteerrors.h"

FtpJobContext::FtpJobContext(RemoteFiles &files, Post post, StopRequested stopRequested)
    : m_files(files), m_post(std::move(post)), m_stopRequested(std::move(stopRequested))
{}

FtpJobContext::FtpJobContext(FtpClient &client, Post post, StopRequested stopRequested)
    : m_owned(std::make_unique<FtpRemoteFiles>(client)), m_files(*m_owned), m_post(std::move(post)),
      m_stopRequested(std::move(stopRequested))
{}

FtpJobContext::~FtpJobContext() = default;

void FtpJobContext::checkStop() const
{
    if (stopRequested())
        throw RemoteCancelledError();
}

void FtpJobContext::reportProgress(const JobProgress &progress)
{
    const Clock::time_point now = Clock::now();
    const bool complete = progress.total > 0 && progress.done >= progress.total;
    // What the job works on, and its size, show at once; only how far it came waits its turn.
    const bool news = progress.name != m_lastPosted.name || progress.total != m_lastPosted.total;
    if (now - m_lastPost < progressInterval && !complete && !news)
        return;
    m_lastPost = now;
    m_lastPosted = progress;
    m_post(progress);
}

RemoteFiles::Progress FtpJobContext::progressFor(const QString &name)
{
    return [this, name](std::uint64_t done, std::uint64_t total) {
        reportProgress(static_cast<qint64>(done), static_cast<qint64>(total), name);
        return !stopRequested();
    };
}
