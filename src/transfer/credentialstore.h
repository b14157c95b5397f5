#pragma once

#include <QObject>
#include <QString>

#include <functional>

// What a credential store answers: the password read, or why there is none.
struct CredentialAnswer
{
    enum class Status {
        Done,     // read, written or removed
        NotFound, // the store holds nothing under the key
        Failed,   // the store could not do it (see error)
    };

    Status status = Status::Failed;
    QString password; // what a read found
    QString error;    // the store's own words, for a Failed answer

    bool done() const { return status == Status::Done; }
};

// Where site passwords are kept outside RODav.ini: the desktop keyring, or a double in tests.
// Every operation answers later, never inside the call, on the thread of the context object
// it was given; an answer whose context is gone is dropped. Whether the store can be used is
// unknown until its first probe answers; a store can also turn unusable later (a keyring that
// stops answering), and says so through availabilityChanged.
class CredentialStore : public QObject
{
    Q_OBJECT

public:
    enum class Availability {
        Unknown,
        Available,
        Unavailable,
    };

    using Callback = std::function<void(const CredentialAnswer &answer)>;

    using QObject::QObject;

    virtual Availability availability() const = 0;

    virtual void read(const QString &key, QObject *context, Callback callback) = 0;
    virtual void write(const QString &key, const QString &password, QObject *context, Callback callback) = 0;
    virtual void remove(const QString &key, QObject *context, Callback callback) = 0;

signals:
    void availabilityChanged(CredentialStore::Availability availability);

protected:
    // Hands the answer to the callback on the context's thread, after the current event.
    static void deliver(QObject *context, Callback callback, const CredentialAnswer &answer);
};
