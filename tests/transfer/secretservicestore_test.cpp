// The Secret Service store against a real gnome-keyring-daemon on a private D-Bus session bus.
// Everything the bus and the keyring keep goes to a scratch folder: the user's own keyring is
// never reached.
#include "transfer/secretservicestore.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <sys/prctl.h>

namespace {

using Availability = CredentialStore::Availability;
using Status = CredentialAnswer::Status;

constexpr int kWaitMs = 20000;
const QString kSecretService = QStringLiteral("org.freedesktop.secrets");

// A session bus of the test's own that starts no service by itself: only what the test runs
// is on it.
const char kBusConfig[] = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

class SecretServiceStoreTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "gnome-keyring-daemon or dbus-daemon is not installed";
        ASSERT_TRUE(m_dir.isValid());
        const QDir root(m_dir.path());
        const QList<std::pair<const char *, QString>> folders = {
            {"HOME", QStringLiteral("home")},
            {"XDG_RUNTIME_DIR", QStringLiteral("run")},
            {"XDG_DATA_HOME", QStringLiteral("home/.local/share")},
            {"XDG_CONFIG_HOME", QStringLiteral("home/.config")},
            {"XDG_CACHE_HOME", QStringLiteral("home/.cache")},
        };
        for (const auto &[name, folder] : folders) {
            ASSERT_TRUE(root.mkpath(folder));
            QFile::setPermissions(root.filePath(folder),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            qputenv(name, QFile::encodeName(root.filePath(folder)));
        }
        // The keyring library picks its back end by the desktop: none named, the Secret Service.
        for (const char *name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "GNOME_KEYRING_CONTROL", "DISPLAY"})
            qunsetenv(name);
        // The bus and the daemon end with the test, even when it crashes.
        for (QProcess *process : {&m_bus, &m_keyring})
            process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        startBus();
    }

    void TearDown() override
    {
        for (QProcess *process : {&m_keyring, &m_bus}) {
            if (process->state() == QProcess::NotRunning)
                continue;
            ::kill(static_cast<pid_t>(process->processId()), SIGCONT);
            process->kill();
            process->waitForFinished();
        }
    }

    void startBus()
    {
        const QString configPath = QDir(m_dir.path()).filePath(QStringLiteral("bus.conf"));
        QFile config(configPath);
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(QString::fromLatin1(kBusConfig).arg(m_dir.path()).toUtf8());
        config.close();
        m_bus.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--config-file=") + configPath,
                     QStringLiteral("--nofork"),
                     QStringLiteral("--print-address=1")});
        ASSERT_TRUE(m_bus.waitForStarted());
        ASSERT_TRUE(QTest::qWaitFor([this] { return m_bus.canReadLine(); }, kWaitMs));
        m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    }

    // The daemon, its login keyring unlocked with a throwaway password, and on the bus.
    void startKeyring()
    {
        m_keyring.start(
            QStringLiteral("gnome-keyring-daemon"),
            {QStringLiteral("--foreground"), QStringLiteral("--unlock"), QStringLiteral("--components=secrets")});
        ASSERT_TRUE(m_keyring.waitForStarted());
        m_keyring.write("throwaway");
        m_keyring.closeWriteChannel();
        QDBusConnection watcher = QDBusConnection::connectToBus(m_address, QStringLiteral("watcher"));
        ASSERT_TRUE(watcher.isConnected());
        EXPECT_TRUE(QTest::qWaitFor(
            [&watcher] { return watcher.interface()->isServiceRegistered(kSecretService).value(); }, kWaitMs));
        QDBusConnection::disconnectFromBus(QStringLiteral("watcher"));
    }

    static Availability probed(SecretServiceStore &store)
    {
        EXPECT_TRUE(QTest::qWaitFor([&store] { return store.availability() != Availability::Unknown; }, kWaitMs));
        return store.availability();
    }

    // Runs one operation and waits for its answer.
    template<typename Operation>
    static CredentialAnswer answerOf(Operation operation)
    {
        std::optional<CredentialAnswer> answer;
        QObject context;
        operation(&context, [&answer](const CredentialAnswer &given) { answer = given; });
        EXPECT_TRUE(QTest::qWaitFor([&answer] { return answer.has_value(); }, kWaitMs));
        return answer.value_or(CredentialAnswer{});
    }

    QTemporaryDir m_dir;
    QProcess m_bus;
    QProcess m_keyring;
    QString m_address;
};

// One process, one bus: the keyring library keeps its connection to the first bus it met.
TEST_F(SecretServiceStoreTest, AKeyringIsFoundAndUsedAndOneThatIsMissingOrSilentIsNotWaitedOn)
{
    const SecretServiceStore::TimeLimits limits{std::chrono::milliseconds(1500), std::chrono::milliseconds(10000)};
    const QString service = QStringLiteral("QZWeb RODav test");

    // No Secret Service on the bus: known at once, and every operation fails.
    {
        SecretServiceStore store(service, limits);
        EXPECT_EQ(probed(store), Availability::Unavailable);
        const CredentialAnswer read = answerOf([&store](QObject *context, CredentialStore::Callback callback) {
            store.read(QStringLiteral("alice@ftp.example.jp"), context, std::move(callback));
        });
        EXPECT_EQ(read.status, Status::Failed);
    }

    startKeyring();
    {
        SecretServiceStore store(service, limits);
        QSignalSpy changes(&store, &CredentialStore::availabilityChanged);
        // Asked before the probe answered: held until it has.
        const CredentialAnswer written = answerOf([&store](QObject *context, CredentialStore::Callback callback) {
            store.write(
                QStringLiteral("alice@ftp.example.jp"), QStringLiteral("秘密 pass"), context, std::move(callback));
        });
        EXPECT_EQ(written.status, Status::Done) << written.error.toStdString();
        EXPECT_EQ(store.availability(), Availability::Available);
        EXPECT_EQ(changes.size(), 1);

        const auto read = [&store](const QString &key) {
            return answerOf([&store, key](QObject *context, CredentialStore::Callback callback) {
                store.read(key, context, std::move(callback));
            });
        };
        const CredentialAnswer found = read(QStringLiteral("alice@ftp.example.jp"));
        EXPECT_EQ(found.status, Status::Done) << found.error.toStdString();
        EXPECT_EQ(found.password, QStringLiteral("秘密 pass"));
        EXPECT_EQ(read(QStringLiteral("bob@ftp.example.jp")).status, Status::NotFound);

        const CredentialAnswer removed = answerOf([&store](QObject *context, CredentialStore::Callback callback) {
            store.remove(QStringLiteral("alice@ftp.example.jp"), context, std::move(callback));
        });
        EXPECT_EQ(removed.status, Status::Done) << removed.error.toStdString();
        EXPECT_EQ(read(QStringLiteral("alice@ftp.example.jp")).status, Status::NotFound);
    }
    // The secret went to the scratch keyring.
    EXPECT_TRUE(QDir(QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/keyrings")).exists());

    // A keyring that holds its name on the bus but never answers: given up after the probe's limit.
    ::kill(static_cast<pid_t>(m_keyring.processId()), SIGSTOP);
    SecretServiceStore givenUp(service, limits);
    EXPECT_EQ(probed(givenUp), Availability::Unavailable);
    // When it answers after all, the late answer changes nothing. The keyring library runs its
    // jobs in order, so once a second store's probe has answered, so has the first one's.
    ::kill(static_cast<pid_t>(m_keyring.processId()), SIGCONT);
    SecretServiceStore later(service, limits);
    EXPECT_EQ(probed(later), Availability::Available);
    EXPECT_EQ(givenUp.availability(), Availability::Unavailable);
}

} // namespace
