#include "transfer/secretservicestore.h"

#include <QPointer>
#include <QTimer>
#include <qt6keychain/keychain.h>

#include <memory>
#include <utility>

namespace {

// A key nothing is stored under: reading it tells whether a keyring answers.
const QString kProbeKey = QStringLiteral("(probe)");

QString noKeyringText()
{
    return QStringLiteral("デスクトップのキーリングが使えません");
}

QString silentKeyringText()
{
    return QStringLiteral("デスクトップのキーリングが応答しません");
}

CredentialAnswer answerOf(const QKeychain::Job &job)
{
    switch (job.error()) {
    case QKeychain::NoError:
        return {CredentialAnswer::Status::Done, {}, {}};
    case QKeychain::EntryNotFound:
        return {CredentialAnswer::Status::NotFound, {}, {}};
    default:
        return {CredentialAnswer::Status::Failed, {}, job.errorString()};
    }
}

} // namespace

SecretServiceStore::SecretServiceStore(QObject *parent) : SecretServiceStore(defaultService(), TimeLimits(), parent)
{}

SecretServiceStore::SecretServiceStore(const QString &service, const TimeLimits &limits, QObject *parent)
    : CredentialStore(parent), m_service(service), m_limits(limits)
{
    probe();
}

void SecretServiceStore::probe()
{
    auto *job = new QKeychain::ReadPasswordJob(m_service);
    job->setKey(kProbeKey);
    run(job, m_limits.probe, [this](const CredentialAnswer &answer) {
        // Not found is the keyring's own answer; anything else means there is none to use.
        setAvailability(answer.status == CredentialAnswer::Status::Failed ? Availability::Unavailable
                                                                          : Availability::Available);
    });
}

void SecretServiceStore::run(QKeychain::Job *job, std::chrono::milliseconds limit, Callback answered)
{
    // Whichever comes first, the keyring's answer or the time limit, is the only answer.
    auto pending = std::make_shared<Callback>(std::move(answered));
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    // A job may finish long after its limit passed, when the timer is gone.
    connect(job, &QKeychain::Job::finished, this, [pending, timer = QPointer<QTimer>(timer)](QKeychain::Job *finished) {
        if (timer)
            timer->deleteLater();
        if (!*pending)
            return;
        CredentialAnswer answer = answerOf(*finished);
        if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(finished); read && answer.done())
            answer.password = read->textData();
        std::exchange(*pending, nullptr)(answer);
    });
    connect(timer, &QTimer::timeout, this, [this, pending, timer] {
        timer->deleteLater();
        if (!*pending)
            return;
        setAvailability(Availability::Unavailable);
        std::exchange(*pending, nullptr)({CredentialAnswer::Status::Failed, {}, silentKeyringText()});
    });
    timer->start(limit);
    job->setAutoDelete(true);
    job->start();
}

void SecretServiceStore::submit(JobFactory makeJob, QObject *context, Callback callback)
{
    const QPointer<QObject> target(context);
    auto start = [this, makeJob = std::move(makeJob), target, callback = std::move(callback)] {
        if (m_availability != Availability::Available) {
            deliver(target, callback, {CredentialAnswer::Status::Failed, {}, noKeyringText()});
            return;
        }
        run(makeJob(), m_limits.operation, [target, callback](const CredentialAnswer &answer) {
            deliver(target, callback, answer);
        });
    };
    if (m_availability == Availability::Unknown)
        m_waiting.append(std::move(start));
    else
        start();
}

void SecretServiceStore::setAvailability(Availability availability)
{
    if (availability == m_availability)
        return;
    m_availability = availability;
    emit availabilityChanged(availability);
    for (const auto &operation : std::exchange(m_waiting, {}))
        operation();
}

void SecretServiceStore::read(const QString &key, QObject *context, Callback callback)
{
    submit(
        [this, key] {
            auto *job = new QKeychain::ReadPasswordJob(m_service);
            job->setKey(key);
            return job;
        },
        context,
        std::move(callback));
}

void SecretServiceStore::write(const QString &key, const QString &password, QObject *context, Callback callback)
{
    submit(
        [this, key, password] {
            auto *job = new QKeychain::WritePasswordJob(m_service);
            job->setKey(key);
            job->setTextData(password);
            return job;
        },
        context,
        std::move(callback));
}

void SecretServiceStore::remove(const QString &key, QObject *context, Callback callback)
{
    submit(
        [this, key] {
            auto *job = new QKeychain::DeletePasswordJob(m_service);
            job->setKey(key);
            return job;
        },
        context,
        std::move(callback));
}
