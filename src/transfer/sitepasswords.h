#pragma once

#include "transfer/credentialstore.h"
#include "transfer/passworddialog.h"
#include "transfer/siterecord.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

class QLineEdit;
class QWidget;
class SiteBook;
class UserDialogs;

// Where the transfer window keeps its sites' passwords and how one reaches a connection. With
// a desktop keyring the password lives there and RODav.ini keeps an empty field; passwords a
// book still holds move there when the book is next written, after a notice. Without one a
// password is kept until the program ends, asked at 接続 when nothing gives it, and kept in
// RODav.ini only where the user chose so. The keyring is read before a connection starts, so no
// FTP job waits on it, and every keyring answer arrives on the window's thread. A password is
// kept under its account, user@host: renaming an entry keeps it, and two entries for the same
// account share it. Refers to the window's book, password box and dialogs; owns the passwords
// known for this run.
class SitePasswords final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SitePasswords)

public:
    using Ready = std::function<void(const QString &password)>;

    SitePasswords(SiteBook &book, QLineEdit &passwordEdit, UserDialogs &dialogs, QWidget &window);

    // The keyring; without one, passwords are kept for the run (or in the book, by choice).
    void setStore(CredentialStore &store);
    bool hasKeyring() const;

    static QString keyOf(const SiteRecord &record);

    // The book was read: its accounts are the ones whose keyring entries it may later remove.
    void bookLoaded();
    // The entry shown: the password box says where a password not in the book is kept.
    void showingEntry(int number);

    // 接続 of the entry shown, as typed (number: its place in the book, or beyond it). Hands its
    // password to ready once known, at once when the box or this run holds it; never when the
    // user cancels the question.
    void passwordFor(int number, const SiteRecord &typed, Ready ready);
    // A keyring read or a question for 接続 is under way.
    bool isWaiting() const { return m_waiting; }
    // The connection attempt that followed passwordFor ended: a password the user typed into
    // the question is kept only once the login with it went through.
    void attemptEnded(bool connected);

    // 保存 may leave the password box empty for an entry whose password the book does not hold.
    bool keptOutsideBook(int number) const;
    // The record as the book keeps it when the typed entry is stored as entry number (保存,
    // 切断): a typed password goes to the keyring, or is kept for the run, or stays in the
    // book where the book held this entry's password before; an empty box keeps the password
    // where it was, following the entry to a new account.
    SiteRecord toStore(int number, const SiteRecord &typed);
    // The book is about to be written: passwords it still holds move to the keyring (the first
    // time after a notice), and the keyring entries of accounts no longer in it are removed.
    void beforeWrite();

signals:
    // The book's passwords changed (moved to the keyring, or kept in it by the user's choice):
    // it should be written.
    void bookChanged();

private:
    // A password typed into the question, kept once the login with it went through.
    struct Typed
    {
        int number = 0;
        SiteRecord site;
        QString password;
        PasswordDialog::Keeping keeping = PasswordDialog::Keeping::ForTheRun;
        bool keepInFile = false;
    };

    void ask(int number, const SiteRecord &typed, PasswordDialog::Keeping keeping, const Ready &ready);
    void keep(const Typed &typed);
    void writeToKeyring(const QString &key, const QString &password);
    void moveToKeyring(const QString &key, const QString &password);
    void carry(const QString &fromKey, const QString &toKey);
    void availabilityChanged(CredentialStore::Availability availability);
    void updatePlaceholder();

    SiteBook &m_book;
    QLineEdit &m_passwordEdit;
    UserDialogs &m_dialogs;
    QWidget &m_window;
    QPointer<CredentialStore> m_store;

    QHash<QString, QString> m_forTheRun; // account -> password, kept until the program ends
    QSet<QString> m_awaitingKeyring;     // accounts typed before the keyring was known
    QSet<QString> m_bookAccounts;        // the accounts the book held when last read or written
    QSet<QString> m_moving;              // "account\npassword" on their way from the book
    std::optional<Typed> m_typed;
    int m_shownNumber = 0;
    bool m_waiting = false;
    bool m_noticeShown = false;
    bool m_failureShown = false;
};
