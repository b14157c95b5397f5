#include "common/linefile.h"
#include "support/memorycredentialstore.h"
#include "support/scripteduserdialogs.h"
#include "support/ssh/sshdserver.h"
#include "transfer/sitebook.h"
#include "transfer/siteconnector.h"
#include "transfer/sitesettingsstore.h"
#include "transfer/transferwindow.h"
#include "transfer/trustedcertificates.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <unistd.h>

namespace {

constexpr int kJobWaitMs = 30000;
constexpr int kAlways = 1;
constexpr int kRefuse = 2;

// An SFTP site through the window offscreen, against a real sshd of the test's own (as root):
// the host-key question, the known-hosts file it fills, and the warning when the key changes.
class TransferWindowSftpTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!SshdServer::available())
            GTEST_SKIP() << "sshd needs root and /usr/sbin/sshd";
        qputenv("QZWEB_HOME", m_home.path().toLocal8Bit());
        m_server = std::make_unique<SshdServer>(SshdServer::Options{});
    }
    void TearDown() override
    {
        m_window.reset();
        qunsetenv("QZWEB_HOME");
    }

    QString homeFile(const QString &name) const { return QDir(m_home.path()).filePath(name); }

    void writeSite(const QString &keyFile = {}) const
    {
        LineFile::write(
            homeFile(SiteBook::kFileName),
            {QStringLiteral("S,127.0.0.1:%1,%2,%3,")
                 .arg(m_server->port())
                 .arg(QString::fromStdString(m_server->user()), QString::fromStdString(m_server->password()))});
        SiteSettingsStore store;
        SiteSettings settings = SiteSettings::forNewSite();
        settings.security = ConnectionMethod::Sftp;
        settings.keyFile = keyFile;
        store.store(QStringLiteral("S"), settings);
        store.write(homeFile(SiteSettingsStore::kFileName));
    }

    void open()
    {
        m_window.reset();
        m_window = std::make_unique<TransferWindow>(m_dialogs);
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

    void clickAndWait(const char *name) const
    {
        control<QAbstractButton>(name)->click();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !m_window->isBusy(); }, kJobWaitMs));
    }

    bool connected() const { return m_window->statusText() == QStringLiteral("接続成功"); }

    bool listed(const QString &name) const
    {
        const QAbstractItemModel *model = control<QTreeView>("ListView1")->model();
        return !model->match(model->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly).isEmpty();
    }

    QTemporaryDir m_home;
    ScriptedUserDialogs m_dialogs;
    std::unique_ptr<SshdServer> m_server;
    std::unique_ptr<TransferWindow> m_window;
};

SiteSettingsStore SiteSettingsStoreOf(const QString &path)
{
    SiteSettingsStore store;
    store.load(path);
    return store;
}

TEST_F(TransferWindowSftpTest, AHostKeyTrustedAlwaysConnectsUnaskedUntilItChanges)
{
    std::ofstream(m_server->home() + "/index.html") << "<p>";
    writeSite();
    open();
    EXPECT_EQ(control<QComboBox>("SecurityComboBox")->currentText(), QStringLiteral("SFTP — SSH"));

    // The first connection asks about the key, by its type and SHA256 fingerprint.
    m_dialogs.choiceAnswers.enqueue({kAlways, false});
    clickAndWait("Button1");
    ASSERT_TRUE(connected()) << m_window->statusText().toStdString();
    EXPECT_TRUE(listed(QStringLiteral("index.html")));
    ASSERT_EQ(m_dialogs.choiceRequests.size(), 1);
    const ChoiceRequest question = m_dialogs.choiceRequests.constFirst();
    EXPECT_EQ(question.title, QStringLiteral("サーバーの鍵の確認"));
    EXPECT_EQ(question.choices, (QStringList{"今回だけ接続", "常にこの鍵を信頼", "接続しない"}));
    EXPECT_EQ(question.defaultChoice, kRefuse);
    EXPECT_TRUE(question.text.contains(QStringLiteral("ssh-ed25519"))) << question.text.toStdString();
    EXPECT_TRUE(question.text.contains(QStringLiteral("SHA256:"))) << question.text.toStdString();
    const QString knownHosts = homeFile(TrustedCertificates::kKnownHostsFileName);
    EXPECT_EQ(
        QFileInfo(knownHosts).permissions()
            & ~(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser),
        0);
    EXPECT_FALSE(QFile::exists(homeFile(TrustedCertificates::kFileName)));
    clickAndWait("Button2");

    // The next run connects without a question.
    open();
    clickAndWait("Button1");
    EXPECT_TRUE(connected()) << m_window->statusText().toStdString();
    EXPECT_EQ(m_dialogs.choiceRequests.size(), 1);
    clickAndWait("Button2");

    // A new key on the same server is the loud warning, whose Enter does not connect; refused,
    // the old key stays the trusted one.
    TrustedCertificates before;
    before.load(knownHosts);
    m_server->restart(true);
    m_dialogs.choiceAnswers.enqueue({kRefuse, false});
    clickAndWait("Button1");
    EXPECT_FALSE(connected());
    ASSERT_EQ(m_dialogs.choiceRequests.size(), 2);
    const ChoiceRequest warning = m_dialogs.choiceRequests.constLast();
    EXPECT_EQ(warning.title, QStringLiteral("警告"));
    EXPECT_EQ(warning.icon, DialogIcon::Warning);
    EXPECT_EQ(warning.defaultChoice, kRefuse);
    EXPECT_TRUE(warning.text.contains(QStringLiteral("変わっています"))) << warning.text.toStdString();
    const QString oldFingerprint = before.trustedFingerprint(QStringLiteral("127.0.0.1"), m_server->port());
    EXPECT_TRUE(oldFingerprint.startsWith(QStringLiteral("SHA256:")));
    EXPECT_TRUE(warning.text.contains(oldFingerprint));
    TrustedCertificates after;
    after.load(knownHosts);
    EXPECT_EQ(after.trustedFingerprint(QStringLiteral("127.0.0.1"), m_server->port()), oldFingerprint);
    EXPECT_EQ(m_dialogs.unexpected, 0);
}

TEST_F(TransferWindowSftpTest, ALockedKeyFileLogsInWithThePassphraseAskedAtConnect)
{
    // The key outlives the server that made it, whose folder goes with it.
    const std::string made = m_server->makeClientKey("ed25519", "鍵の合言葉");
    const QString key = homeFile(QStringLiteral("鍵 id_ed25519"));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(made), key));
    const std::string line = SshdServer::publicLine(made);
    m_server = std::make_unique<SshdServer>(SshdServer::Options{false, false, true, {line}, {}, false});
    writeSite();
    open();

    // 鍵... shows for SFTP only, and chooses the key through the file dialog; 転送モード is
    // FTP's alone.
    auto *keyButton = control<QAbstractButton>("KeyFileButton");
    auto *dataMode = control<QComboBox>("DataModeComboBox");
    EXPECT_TRUE(keyButton->isVisible());
    EXPECT_FALSE(dataMode->isEnabled());
    m_dialogs.fileAnswers.enqueue(key);
    keyButton->click();
    EXPECT_TRUE(keyButton->toolTip().contains(key)) << keyButton->toolTip().toStdString();
    control<QComboBox>("SecurityComboBox")->setCurrentIndex(0);
    EXPECT_FALSE(keyButton->isVisible());
    EXPECT_TRUE(dataMode->isEnabled());
    control<QComboBox>("SecurityComboBox")->setCurrentIndex(2);
    ASSERT_TRUE(keyButton->isVisible());
    // The key is locked: its passphrase is asked before the connection starts, hidden as typed.
    const auto typePassphrase = [](const QString &text, bool keep = false) {
        return [text, keep](QDialog *dialog) {
            auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("PassphraseEdit"));
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
            edit->setText(text);
            auto *keepBox = dialog->findChild<QCheckBox *>(QStringLiteral("KeepPassphraseCheckBox"));
            if (keep)
                keepBox->setChecked(true);
            dialog->accept();
        };
    };
    m_dialogs.dialogScripts.enqueue(typePassphrase(QStringLiteral("鍵の合言葉")));
    m_dialogs.choiceAnswers.enqueue({kAlways, false});
    clickAndWait("Button1");
    EXPECT_TRUE(connected()) << m_window->statusText().toStdString();
    EXPECT_EQ(m_dialogs.shownDialogs.size(), 1);
    clickAndWait("Button2");

    // キャンセル: no connection is tried.
    m_dialogs.dialogScripts.enqueue([](QDialog *dialog) { dialog->reject(); });
    clickAndWait("Button1");
    EXPECT_FALSE(connected());
    EXPECT_EQ(m_dialogs.shownDialogs.size(), 2);

    // With a keyring: a wrong passphrase is told at once and asked again; one kept there serves
    // the next connection unasked.
    MemoryCredentialStore keyring;
    m_window->setCredentialStore(keyring);
    m_dialogs.dialogScripts.enqueue(typePassphrase(QStringLiteral("違う")));
    m_dialogs.messageAnswers.enqueue(DialogButton::Ok);
    m_dialogs.dialogScripts.enqueue(typePassphrase(QStringLiteral("鍵の合言葉"), true));
    clickAndWait("Button1");
    EXPECT_TRUE(connected()) << m_window->statusText().toStdString();
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages.constFirst().text.contains(QStringLiteral("パスフレーズが違います")));
    EXPECT_EQ(keyring.passwords.value(SiteConnector::passphraseKey(key)), QStringLiteral("鍵の合言葉"));
    clickAndWait("Button2");
    const qsizetype asked = m_dialogs.shownDialogs.size();
    clickAndWait("Button1");
    EXPECT_TRUE(connected()) << m_window->statusText().toStdString();
    EXPECT_EQ(m_dialogs.shownDialogs.size(), asked);
    clickAndWait("Button2");

    // The site keeps its key; 鍵ファイルを使わない lets it go. (Its password moves to the keyring
    // now that there is one, after a notice.)
    m_dialogs.messageAnswers.enqueue(DialogButton::Ok);
    click("Button7");
    EXPECT_EQ(SiteSettingsStoreOf(homeFile(SiteSettingsStore::kFileName)).settings(QStringLiteral("S")).keyFile, key);
    m_dialogs.choiceAnswers.enqueue({1, false});
    keyButton->click();
    click("Button7");
    EXPECT_TRUE(
        SiteSettingsStoreOf(homeFile(SiteSettingsStore::kFileName)).settings(QStringLiteral("S")).keyFile.isEmpty());
    EXPECT_EQ(m_dialogs.unexpected, 0);
}

} // namespace
