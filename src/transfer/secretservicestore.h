#pragma once

#include "transfer/credentialstore.h"

#include <QList>

#include <chrono>

namespace QKeychain {
class Job;
}

// The desktop keyring through the Secret Service (qtkeychain over libsecret). Asks once at
// start whether a keyring answers at all, within a short time limit, so a bare desktop or a
// remote session without one is known quickly and never waited on. Every later operation has
// a limit too, long enough for the user to unlock the keyring; a keyring that lets one pass
// is given up for the run, since qtkeychain runs its jobs one after the other and the rest
// would wait behind it for ever. Owns nothing but its state: qtkeychain's jobs delete
// themselves.
class SecretServiceStore final : public CredentialStore
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SecretServiceStore)

public:
    struct TimeLimits
    {
        std::chrono::milliseconds probe{5000};
        std::chrono::milliseconds operation{120000};
    };

    // The name the entries carry in the keyring (the user sees it in the keyring's manager).
    static QString defaultService() { return QStringLiteral("QZWeb RODav"); }

    explicit SecretServiceStore(QObject *parent = nullptr);
    SecretServiceStore(const QString &service, const TimeLimits &limits, QObject *parent = nullptr);

    Availability availability() const override { return m_availability; }

    void read(const QString &key, QObject *context, Callback callback) override;
    void write(const QString &key, const QString &password, QObject *context, Callback callback) override;
    void remove(const QString &key, QObject *context, Callback callback) override;

private:
    void probe();
    // Runs the job with the time limit; answered gets exactly one answer.
    void run(QKeychain::Job *job, std::chrono::milliseconds limit, Callback answered);
    using JobFactory = std::function<QKeychain::Job *()>;
    // Runs the job once the probe has answered, or fails it when there is no keyring.
    void submit(JobFactory makeJob, QObject *context, Callback callback);
    void setAvailability(Availability availability);

    QString m_service;
    TimeLimits m_limits;
    Availability m_availability = Availability::Unknown;
    QList<std::function<void()>> m_waiting; // operations asked before the probe answered
};
