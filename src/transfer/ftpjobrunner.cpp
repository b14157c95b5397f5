#include "transfer/ftpjobrunner.h"

FtpJobRunner::FtpJobRunner(FtpSession &session, QObject *parent) : QObject(parent), m_session(session)
{
    connect(&m_session, &FtpSession::finished, this, [this](quint64 job, const FtpJobOutcome &outcome) {
        const Done done = m_continuations.take(job);
        if (done)
            done(outcome);
    });
}

void FtpJobRunner::run(const QString &name, FtpSession::Job job, Done done)
{
    const quint64 id = m_session.submit(name, std::move(job));
    if (done)
        m_continuations.insert(id, std::move(done));
}
