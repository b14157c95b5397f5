#include "transfer/ftpjobcontext.h"

#include "transfer/ftp/ftpcancellederror.h"

FtpJobContext::FtpJobContext(FtpClient &client, Post post, StopRequested stopRequested)
    : m_client(client), m_post(std::move(post)), m_stopRequested(std::move(stopRequested))
{}

void FtpJobContext::checkStop() const
{
    if (stopRequested())
        throw FtpCancelledError();
}

void FtpJobContext::reportProgress(qint64 done, qint64 total, const QString &name)
{
    const Clock::time_point now = Clock::now();
    if (now - m_lastPost < progressInterval && !(total > 0 && done >= total))
        return;
    m_lastPost = now;
    m_post(done, total, name);
}

FtpClient::Progress FtpJobContext::progressFor(const QString &name)
{
    return [this, name](std::uint64_t done, std::uint64_t total) {
        reportProgress(static_cast<qint64>(done), static_cast<qint64>(total), name);
        return !stopRequested();
    };
}
