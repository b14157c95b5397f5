#include "support/memorycredentialstore.h"

#include <QPointer>

MemoryCredentialStore::MemoryCredentialStore(Availability availability, QObject *parent)
    : CredentialStore(parent), m_availability(availability)
{}

void MemoryCredentialStore::setAvailability(Availability availability)
{
    m_availability = availability;
    emit availabilityChanged(availability);
    for (const auto &operation : std::exchange(m_waiting, {}))
        operation();
}

void MemoryCredentialStore::perform(std::function<CredentialAnswer()> operation, QObject *context, Callback callback)
{
    auto run = [this, operation = std::move(operation), target = QPointer<QObject>(context), callback] {
        if (m_availability != Availability::Available)
            deliver(target, callback, {CredentialAnswer::Status::Failed, {}, QStringLiteral("no keyring")});
        else
            deliver(target, callback, operation());
    };
    if (m_availability == Availability::Unknown)
        m_waiting.append(std::move(run));
    else
        run();
}

void MemoryCredentialStore::read(const QString &key, QObject *context, Callback callback)
{
    operations.append(QStringLiteral("read ") + key);
    perform(
        [this, key]() -> CredentialAnswer {
            if (!passwords.contains(key))
                return {CredentialAnswer::Status::NotFound, {}, {}};
            return {CredentialAnswer::Status::Done, passwords.value(key), {}};
        },
        context,
        std::move(callback));
}

void MemoryCredentialStore::write(const QString &key, const QString &password, QObject *context, Callback callback)
{
    operations.append(QStringLiteral("write ") + key);
    perform(
        [this, key, password]() -> CredentialAnswer {
            if (failWrites)
                return {CredentialAnswer::Status::Failed, {}, QStringLiteral("write refused")};
            passwords.insert(key, password);
            return {CredentialAnswer::Status::Done, {}, {}};
        },
        context,
        std::move(callback));
}

void MemoryCredentialStore::remove(const QString &key, QObject *context, Callback callback)
{
    operations.append(QStringLiteral("remove ") + key);
    perform(
        [this, key]() -> CredentialAnswer {
            if (passwords.remove(key) == 0)
                return {CredentialAnswer::Status::NotFound, {}, {}};
            return {CredentialAnswer::Status::Done, {}, {}};
        },
        context,
        std::move(callback));
}
