// Site passwords through the transfer window: in the keyring (a store in memory here), moved
// there from the book, or asked at 接続 and kept for the run where there is none.
#include "common/linefile.h"
#include "support/ftp/pyftpdserver.h"
#include "support/ftp/scriptedsession.h"
#include "support/memorycredentialstore.h"
#include "support/scripteduserdialogs.h"
#include "transfer/passworddialog.h"
#include "transfer/sitebook.h"
#include "transfer/sitesettingsfixture.h"
#include "transfer/transferwindow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// Readable failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

using Availability = CredentialStore::Availability;
using Passwords = QHash<QString, QString>;

constexpr int kWaitMs = 20000;

class SitePasswordsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_savedCurrent = QDir::currentPath();
        qputenv("QZWEB_HOME", m_home.path().toLocal8Bit());
        QDir::setCurrent(m_work.path());
    }

    void TearDown() override
    {
        m_window.reset();
        QDir::setCurrent(m_savedCurrent);
        qunsetenv("QZWEB_HOME");
        EXPECT_EQ(m_dialogs.unexpected, 0);
    }

    QString bookPath() const { return QDir(m_home.path()).filePath(SiteBook::kFileName); }
    void writeBook(const QStringList &lines) const { LineFile::write(bookPath(), lines); }
    QStringList book() const { return LineFile::read(bookPath()); }

    void open()
    {
        givePlainActiveSettings(m_home.path(), true);
        m_window = std::make_unique<TransferWindow>(m_dialogs);
        m_window->setCredentialStore(m_store);
        m_window->show();
    }

    template<typename T>
    T *control(const char *name) const
    {
        T *found = m_window->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void click(const char *name) const { control<QAbstractButton>(name)->click(); }
    void type(const char *name, const QString &text) const { control<QLineEdit>(name)->setText(text); }
    QString status() const { return m_window->statusText(); }

    bool waitIdle() const
    {
        return QTest::qWaitFor([this] { return !m_window->isBusy(); }, kWaitMs);
    }

    // 接続, and the wait until it stood or failed.
    void connectAndWait() const
    {
        click("Button1");
        ASSERT_TRUE(waitIdle());
    }

    // The password question's next answer: the password typed, and whether the file box is ticked.
    void answerPassword(const QString &password, bool keepInFile = false)
    {
        m_dialogs.dialogScripts.enqueue([this, password, keepInFile](QDialog *dialog) {
            m_asked.append(dialog->windowTitle());
            auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("PasswordEdit"));
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
            if (auto *box = dialog->findChild<QCheckBox *>(QStringLiteral("KeepInFileBox"))) {
                EXPECT_EQ(box->text(), QStringLiteral("パスワードをファイルに保存する (暗号化されません)"));
                EXPECT_FALSE(box->isChecked()); // never the default
                box->setChecked(keepInFile);
                m_fileOffered = true;
            }
            edit->setText(password);
            dialog->findChild<QAbstractButton *>(QStringLiteral("OkButton"))->click();
        });
    }

    QString pyftpdSite(const PyFtpdServer &server, const QString &password = {}) const
    {
        return QStringLiteral("My Site,127.0.0.1:%1,qzweb,%2,").arg(server.port()).arg(password);
    }

    ScriptedUserDialogs m_dialogs;
    MemoryCredentialStore m_store;
    QTemporaryDir m_home;
    QTemporaryDir m_work;
    std::unique_ptr<TransferWindow> m_window;
    QString m_savedCurrent;
    QStringList m_asked; // titles of the password questions shown
    bool m_fileOffered = false;
};

TEST_F(SitePasswordsTest, WithAKeyringTheBookKeepsAnEmptyFieldAndConnectReadsTheKeyringFirst)
{
    ScriptedFtpServer server;
    scriptLogin(server).answer("257 \"/\"").answer("257 \"/\"");
    server.answer("200 PORT ok").answer("150 Here it comes").sendData("").reply("226 Done");
    server.start();
    const QString host = QStringLiteral("127.0.0.1:%1").arg(server.port());
    open();
    click("Button6");
    type("Edit1", QStringLiteral("Scripted"));
    type("Edit2", host);
    type("Edit3", QStringLiteral("alice"));
    type("Edit4", QStringLiteral("secret"));
    click("Button7");
    EXPECT_EQ(book(), QStringList{"Scripted," + host + ",alice,,"});
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_store.passwords.isEmpty(); }, kWaitMs));
    EXPECT_EQ(m_store.passwords, (Passwords{{"alice@" + host, "secret"}}));

    // The next run knows the password from the keyring alone, which answers only once it is
    // known to be there; the connection waits for it and starts with the password.
    m_window.reset();
    m_store.setAvailability(Availability::Unknown);
    open();
    EXPECT_EQ(control<QLineEdit>("Edit4")->text(), QString());
    click("Button7"); // 保存 with the box empty leaves the password where it is
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
    EXPECT_EQ(book(), QStringList{"Scripted," + host + ",alice,,"});
    click("Button1");
    EXPECT_TRUE(m_window->isBusy());
    EXPECT_EQ(status(), QStringLiteral("RODav")); // nothing sent yet
    m_store.setAvailability(Availability::Available);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(status(), QStringLiteral("接続成功"));
    EXPECT_TRUE(m_dialogs.shownDialogs.isEmpty());
    m_window.reset();
    server.finish();
    EXPECT_EQ(server.commands().at(1), "pass secret");
    EXPECT_TRUE(m_store.operations.contains("read alice@" + host));
}

TEST_F(SitePasswordsTest, PasswordsInTheBookMoveToTheKeyringAfterANoticeWhenItIsWritten)
{
    writeBook({"My Site,ftp.example.jp,alice,secret,/www", "Other,Other.example:2121,bob,pw,"});
    open();
    EXPECT_EQ(control<QLineEdit>("Edit4")->text(), QStringLiteral("secret"));
    m_dialogs.messageAnswers.enqueue(DialogButton::Ok);
    m_window->close();
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_EQ(m_dialogs.messages.constFirst().icon, DialogIcon::Information);
    EXPECT_TRUE(m_dialogs.messages.constFirst().text.contains(QStringLiteral("キーリングに移します")));
    // Until the keyring has them, the book keeps them; then it is written again without them.
    EXPECT_EQ(book().constFirst(), QStringLiteral("My Site,ftp.example.jp,alice,secret,/www"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return book().constFirst().endsWith(",alice,,/www"); }, kWaitMs));
    EXPECT_EQ(book(), (QStringList{"My Site,ftp.example.jp,alice,,/www", "Other,Other.example:2121,bob,,"}));
    EXPECT_EQ(m_store.passwords, (Passwords{{"alice@ftp.example.jp", "secret"}, {"bob@other.example:2121", "pw"}}));

    // Nothing is left to move, and the notice is not shown again.
    m_window->show();
    m_window->close();
    EXPECT_EQ(m_dialogs.messages.size(), 1);
}

TEST_F(SitePasswordsTest, AKeyringThatRefusesLeavesThePasswordInTheBookAndSaysSo)
{
    writeBook({"My Site,ftp.example.jp,alice,secret,"});
    m_store.failWrites = true;
    open();
    m_dialogs.messageAnswers.enqueue(DialogButton::Ok); // the notice
    m_dialogs.messageAnswers.enqueue(DialogButton::Ok); // the refusal
    m_window->close();
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_dialogs.messages.size() == 2; }, kWaitMs));
    EXPECT_EQ(m_dialogs.messages.constLast().icon, DialogIcon::Warning);
    EXPECT_TRUE(m_dialogs.messages.constLast().text.contains(QStringLiteral("write refused")));
    EXPECT_EQ(book(), QStringList{"My Site,ftp.example.jp,alice,secret,"});
}

TEST_F(SitePasswordsTest, AnEntryGivenAnotherAccountTakesItsPasswordAlongAndADeletedOneTakesItAway)
{
    writeBook({"Site,old.example,alice,,", "Gone,gone.example,bob,,"});
    m_store.passwords = {{"alice@old.example", "pw"}, {"bob@gone.example", "pw2"}};
    open();
    type("Edit2", QStringLiteral("new.example"));
    click("Button7");
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([this] { return m_store.passwords.contains("alice@new.example"); }, kWaitMs));
    EXPECT_EQ(m_store.passwords, (Passwords{{"alice@new.example", "pw"}, {"bob@gone.example", "pw2"}}));

    click("Button5");
    click("Button9");
    m_window->close();
    EXPECT_TRUE(QTest::qWaitFor([this] { return m_store.passwords.size() == 1; }, kWaitMs));
    EXPECT_EQ(m_store.passwords, (Passwords{{"alice@new.example", "pw"}}));
    EXPECT_EQ(book(), QStringList{"Site,new.example,alice,,"});
}

TEST_F(SitePasswordsTest, APasswordTheKeyringLacksIsAskedAndGoesThereOnceItWorked)
{
    PyFtpdServer server;
    writeBook({pyftpdSite(server)});
    open();
    answerPassword(QStringLiteral("secret"));
    connectAndWait();
    EXPECT_EQ(status(), QStringLiteral("接続成功"));
    EXPECT_FALSE(m_fileOffered); // the keyring is there: the file is never offered
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_store.passwords.isEmpty(); }, kWaitMs));
    EXPECT_EQ(m_store.passwords, (Passwords{{QStringLiteral("qzweb@127.0.0.1:%1").arg(server.port()), "secret"}}));
    EXPECT_EQ(book(), QStringList{pyftpdSite(server)});
}

TEST_F(SitePasswordsTest, WithoutAKeyringThePasswordIsAskedAtConnectAndKeptForTheRunOnceItWorked)
{
    m_store.setAvailability(Availability::Unavailable);
    PyFtpdServer server;
    writeBook({pyftpdSite(server)});
    open();

    // A mistyped password is not kept: the next 接続 asks again.
    answerPassword(QStringLiteral("wrong"));
    m_dialogs.messageAnswers.enqueue(DialogButton::Ok); // the login's refusal
    connectAndWait();
    EXPECT_EQ(status(), QStringLiteral("接続できませんでした"));
    answerPassword(QStringLiteral("secret"));
    connectAndWait();
    EXPECT_EQ(status(), QStringLiteral("接続成功"));
    EXPECT_EQ(m_asked, (QStringList{"パスワードの入力", "パスワードの入力"}));
    EXPECT_TRUE(m_fileOffered);

    click("Button2");
    ASSERT_TRUE(waitIdle());
    connectAndWait(); // no question: kept for the run
    EXPECT_EQ(status(), QStringLiteral("接続成功"));
    EXPECT_EQ(m_asked.size(), 2);
    click("Button2");
    ASSERT_TRUE(waitIdle());
    m_window->close();
    EXPECT_EQ(book(), QStringList{pyftpdSite(server) + "/"});
    EXPECT_TRUE(m_store.operations.isEmpty());
}

TEST_F(SitePasswordsTest, WithoutAKeyringKeepingThePasswordInTheFileIsTheUsersChoice)
{
    m_store.setAvailability(Availability::Unavailable);
    PyFtpdServer server;
    writeBook({pyftpdSite(server)});
    open();
    answerPassword(QStringLiteral("secret"), true);
    connectAndWait();
    EXPECT_EQ(status(), QStringLiteral("接続成功"));
    EXPECT_EQ(book(), QStringList{pyftpdSite(server, QStringLiteral("secret"))});
    EXPECT_EQ(control<QLineEdit>("Edit4")->text(), QStringLiteral("secret"));
}

} // namespace
