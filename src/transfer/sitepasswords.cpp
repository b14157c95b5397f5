#include "transfer/sitepasswords.h"

#include "common/userdialogs.h"
#include "transfer/sitebook.h"

#include <QLineEdit>
#include <QWidget>

#include <utility>

namespace {

const QString kMoveNotice = QStringLiteral(
    "パスワードを安全に保管するため、RODav.ini に書かれているパスワードをデスクトップのキーリングに移します。\n"
    "移したあとの RODav.ini には、パスワードを書きません。");

const QString kWriteFailure = QStringLiteral(
    "パスワードをキーリングに保存できませんでした。このパスワードはプログラムを終了するまで覚えておきます。");

const QString kMoveFailure =
    QStringLiteral("パスワードをキーリングに移せませんでした。RODav.ini に残したままにします。");

QString withReason(const QString &text, const QString &reason)
{
    return reason.isEmpty() ? text : text + QStringLiteral("\n\n") + reason;
}

} // namespace

SitePasswords::SitePasswords(SiteBook &book, QLineEdit &passwordEdit, UserDialogs &dialogs, QWidget &window)
    : QObject(&window), m_book(book), m_passwordEdit(passwordEdit), m_dialogs(dialogs), m_window(window)
{}

void SitePasswords::setStore(CredentialStore &store)
{
    if (m_store)
        disconnect(m_store, nullptr, this, nullptr);
    m_store = &store;
    connect(&store, &CredentialStore::availabilityChanged, this, &SitePasswords::availabilityChanged);
    updatePlaceholder();
}

bool SitePasswords::hasKeyring() const
{
    return m_store && m_store->availability() == CredentialStore::Availability::Available;
}

QString SitePasswords::keyOf(const SiteRecord &record)
{
    // Host names ignore case; a port typed after the name is part of the account.
    return record.user + QLatin1Char('@') + record.host.trimmed().toLower();
}

void SitePasswords::bookLoaded()
{
    m_bookAccounts.clear();
    for (const SiteRecord &record : m_book.records())
        m_bookAccounts.insert(keyOf(record));
}

void SitePasswords::showingEntry(int number)
{
    m_shownNumber = number;
    updatePlaceholder();
}

void SitePasswords::updatePlaceholder()
{
    QString text;
    if (keptOutsideBook(m_shownNumber)) {
        if (m_forTheRun.contains(keyOf(m_book.record(m_shownNumber))))
            text = QStringLiteral("記憶しています");
        else if (hasKeyring())
            text = QStringLiteral("キーリングに保存済み");
        else
            text = QStringLiteral("接続時に入力します");
    }
    m_passwordEdit.setPlaceholderText(text);
}

bool SitePasswords::keptOutsideBook(int number) const
{
    return m_book.contains(number) && m_book.record(number).password.isEmpty();
}

// ---- 接続 ----

void SitePasswords::passwordFor(int number, const SiteRecord &typed, Ready ready)
{
    m_typed.reset();
    if (!typed.password.isEmpty()) {
        ready(typed.password);
        return;
    }
    const QString key = keyOf(typed);
    if (const auto known = m_forTheRun.constFind(key); known != m_forTheRun.cend()) {
        ready(*known);
        return;
    }
    // Where there is no keyring the password can be kept in the book, if this is a saved entry.
    const auto withoutKeyring = [this, number, key] {
        return m_book.contains(number) && keyOf(m_book.record(number)) == key
            ? PasswordDialog::Keeping::ForTheRunOrInFile
            : PasswordDialog::Keeping::ForTheRun;
    };
    if (!m_store || m_store->availability() == CredentialStore::Availability::Unavailable) {
        ask(number, typed, withoutKeyring(), ready);
        return;
    }
    m_waiting = true;
    m_store->read(key, this, [this, number, typed, ready, withoutKeyring](const CredentialAnswer &answer) {
        m_waiting = false;
        if (!m_window.isVisible())
            return; // closed meanwhile: nobody waits for this connection any more
        if (answer.done() && !answer.password.isEmpty()) {
            ready(answer.password);
            return;
        }
        PasswordDialog::Keeping keeping = withoutKeyring();
        if (hasKeyring()) {
            // A keyring that refused (locked, or the user declined) is not written to again.
            keeping = answer.status == CredentialAnswer::Status::NotFound ? PasswordDialog::Keeping::InKeyring
                                                                          : PasswordDialog::Keeping::ForTheRun;
        }
        ask(number, typed, keeping, ready);
    });
}

void SitePasswords::ask(int number, const SiteRecord &typed, PasswordDialog::Keeping keeping, const Ready &ready)
{
    PasswordDialog dialog(typed, keeping, &m_window);
    m_waiting = true;
    const int result = m_dialogs.exec(&dialog);
    m_waiting = false;
    if (result != QDialog::Accepted || dialog.password().isEmpty())
        return;
    m_typed = Typed{number, typed, dialog.password(), keeping, dialog.keepInFile()};
    ready(dialog.password());
}

void SitePasswords::attemptEnded(bool connected)
{
    if (!m_typed)
        return;
    const Typed typed = *std::exchange(m_typed, std::nullopt);
    // A mistyped password is not kept: the next 接続 asks again.
    if (connected)
        keep(typed);
}

void SitePasswords::keep(const Typed &typed)
{
    const QString key = keyOf(typed.site);
    if (typed.keeping == PasswordDialog::Keeping::InKeyring && hasKeyring()) {
        writeToKeyring(key, typed.password);
        return;
    }
    m_forTheRun.insert(key, typed.password);
    if (typed.keepInFile && m_book.contains(typed.number) && keyOf(m_book.record(typed.number)) == key) {
        SiteRecord record = m_book.record(typed.number);
        record.password = typed.password;
        m_book.replace(typed.number, record);
        if (typed.number == m_shownNumber)
            m_passwordEdit.setText(typed.password);
        emit bookChanged();
    }
    updatePlaceholder();
}

// ---- 保存, 切断 and writing the book ----

SiteRecord SitePasswords::toStore(int number, const SiteRecord &typed)
{
    const SiteRecord old = m_book.record(number); // empty beyond the book
    SiteRecord stored = typed;
    const QString key = keyOf(typed);
    if (typed.password.isEmpty()) {
        stored.password = old.password;
        if (keptOutsideBook(number) && keyOf(old) != key)
            carry(keyOf(old), key);
        return stored;
    }
    // The book's own password, shown in the box: it moves with the others when the book is
    // written, after the notice.
    if (typed.password == old.password)
        return stored;
    m_forTheRun.insert(key, typed.password);
    if (hasKeyring()) {
        writeToKeyring(key, typed.password);
        stored.password.clear();
    } else if (old.password.isEmpty()) {
        // Kept for the run; into the keyring should one answer later.
        stored.password.clear();
        if (m_store && m_store->availability() == CredentialStore::Availability::Unknown)
            m_awaitingKeyring.insert(key);
    }
    // Otherwise the book held this entry's password, where the user chose to keep it.
    return stored;
}

void SitePasswords::carry(const QString &fromKey, const QString &toKey)
{
    if (const auto known = m_forTheRun.constFind(fromKey); known != m_forTheRun.cend())
        m_forTheRun.insert(toKey, *known);
    if (!m_store || m_store->availability() == CredentialStore::Availability::Unavailable)
        return;
    // Read before anything removes the old account's entry: the store answers in order.
    m_store->read(fromKey, this, [this, toKey](const CredentialAnswer &answer) {
        if (answer.done() && !answer.password.isEmpty())
            writeToKeyring(toKey, answer.password);
    });
}

void SitePasswords::writeToKeyring(const QString &key, const QString &password)
{
    m_store->write(key, password, this, [this, key, password](const CredentialAnswer &answer) {
        if (answer.done())
            return;
        m_forTheRun.insert(key, password);
        updatePlaceholder();
        if (!std::exchange(m_failureShown, true))
            m_dialogs.warn(&m_window, withReason(kWriteFailure, answer.error));
    });
}

void SitePasswords::beforeWrite()
{
    if (!hasKeyring())
        return;
    QSet<QString> accounts;
    for (const SiteRecord &record : m_book.records())
        accounts.insert(keyOf(record));
    for (const QString &gone : m_bookAccounts - accounts) {
        m_store->remove(gone, this, {});
        m_forTheRun.remove(gone);
    }
    m_bookAccounts = accounts;

    QList<std::pair<QString, QString>> inBook;
    for (const SiteRecord &record : m_book.records()) {
        const std::pair<QString, QString> account{keyOf(record), record.password};
        if (!record.password.isEmpty() && !inBook.contains(account)
            && !m_moving.contains(account.first + QLatin1Char('\n') + account.second))
            inBook.append(account);
    }
    if (inBook.isEmpty())
        return;
    if (!std::exchange(m_noticeShown, true))
        m_dialogs.message(&m_window,
                          {UserDialogs::programTitle(), kMoveNotice, DialogIcon::Information, {DialogButton::Ok}});
    for (const auto &[key, password] : inBook)
        moveToKeyring(key, password);
}

void SitePasswords::moveToKeyring(const QString &key, const QString &password)
{
    const QString moving = key + QLatin1Char('\n') + password;
    m_moving.insert(moving);
    m_store->write(key, password, this, [this, key, password, moving](const CredentialAnswer &answer) {
        m_moving.remove(moving);
        if (!answer.done()) {
            if (!std::exchange(m_failureShown, true))
                m_dialogs.warn(&m_window, withReason(kMoveFailure, answer.error));
            return;
        }
        // Only entries that still hold the password moved: one changed meanwhile keeps its own.
        bool changed = false;
        for (int number = 1; number <= m_book.count(); ++number) {
            SiteRecord record = m_book.record(number);
            if (record.password != password || keyOf(record) != key)
                continue;
            record.password.clear();
            m_book.replace(number, record);
            changed = true;
            if (number == m_shownNumber && m_passwordEdit.text() == password)
                m_passwordEdit.clear();
        }
        if (changed)
            emit bookChanged();
        updatePlaceholder();
    });
}

void SitePasswords::availabilityChanged(CredentialStore::Availability availability)
{
    if (availability == CredentialStore::Availability::Unknown)
        return;
    const QSet<QString> waiting = std::exchange(m_awaitingKeyring, {});
    if (availability == CredentialStore::Availability::Available) {
        for (const QString &key : waiting) {
            if (m_forTheRun.contains(key))
                writeToKeyring(key, m_forTheRun.value(key));
        }
    }
    updatePlaceholder();
}
