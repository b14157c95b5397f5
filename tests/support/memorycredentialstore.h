#pragma once

#include "transfer/credentialstore.h"

#include <QHash>
#include <QList>
#include <QStringList>

// The test double of CredentialStore: the passwords in a map the test reads and fills. Its
// availability is the test's to set (an unknown one is announced later, as the keyring's probe
// does); like the keyring it answers later, on the context's thread, in the order asked, and
// holds operations asked before its availability is known. Records every operation.
class MemoryCredentialStore final : public CredentialStore
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MemoryCredentialStore)

public:
    explicit MemoryCredentialStore(Availability availability = Availability::Available, QObject *parent = nullptr);

    QHash<QString, QString> passwords;
    QStringList operations; // "read key", "write key", "remove key", in the order asked
    bool failWrites = false;

    void setAvailability(Availability availability);
    Availability availability() const override { return m_availability; }

    void read(const QString &key, QObject *context, Callback callback) override;
    void write(const QString &key, const QString &password, QObject *context, Callback callback) override;
    void remove(const QString &key, QObject *context, Callback callback) override;

private:
    // Runs the operation now, or once the availability is known; a store without a keyring
    // fails it.
    void perform(std::function<CredentialAnswer()> operation, QObject *context, Callback callback);

    Availability m_availability;
    QList<std::function<void()>> m_waiting;
};
