#pragma once

#include "transfer/ftpsession.h"

#include <QHash>
#include <QObject>

#include <functional>

// Runs the window's FTP jobs on its session and calls each job's continuation on the window's
// thread when it ends, so a command reads as "do this on the server, then show that".
class FtpJobRunner final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FtpJobRunner)

public:
    using Done = std::function<void(const FtpJobOutcome &outcome)>;

    explicit FtpJobRunner(FtpSession &session, QObject *parent = nullptr);

    FtpSession &session() { return m_session; }
    bool isBusy() const { return m_session.isBusy(); }

    void run(const QString &name, FtpSession::Job job, Done done = {});

private:
    FtpSession &m_session;
    QHash<quint64, Done> m_continuations;
};
