#include "transfer/publishlock.h"

#include "common/usererror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// The lock's failure text, or nothing when it was taken.
std::optional<QString> tryLock(const QString &manifest, std::optional<PublishLock> &lock)
{
    try {
        lock.emplace(manifest);
        return std::nullopt;
    } catch (const UserError &error) {
        return error.text();
    }
}

// One publish of a site at a time: another holder, in this process or in another, keeps the
// lock until it lets go or dies; another site's lock is another lock.
TEST(PublishLock, HeldUntilItsHolderLetsGoOrDies)
{
    QTemporaryDir dir;
    const QString manifest = dir.filePath(QStringLiteral("publish/site.manifest"));
    std::optional<PublishLock> first;
    std::optional<PublishLock> second;
    ASSERT_EQ(tryLock(manifest, first), std::nullopt);
    EXPECT_EQ(tryLock(manifest, second), PublishLock::busyText());
    std::optional<PublishLock> otherSite;
    EXPECT_EQ(tryLock(dir.filePath(QStringLiteral("publish/other.manifest")), otherSite), std::nullopt);
    first.reset();
    ASSERT_EQ(tryLock(manifest, second), std::nullopt);
    second.reset();

    // Another process (flock(1) takes the same kind of lock) holds it until it is killed.
    const QByteArray lockFile = QFile::encodeName(manifest + QStringLiteral(".lock"));
    const pid_t holder = ::fork();
    if (holder == 0) {
        ::setpgid(0, 0);
        ::execlp("flock", "flock", lockFile.constData(), "sleep", "30", static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(holder, 0);
    std::optional<QString> refused;
    for (int tries = 0; tries < 200 && !refused; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::optional<PublishLock> probe;
        refused = tryLock(manifest, probe);
    }
    EXPECT_EQ(refused, PublishLock::busyText());
    // The group: flock runs sleep as its child, which holds the descriptor too.
    ::kill(-holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    std::optional<PublishLock> afterDeath;
    std::optional<QString> failure = tryLock(manifest, afterDeath);
    for (int tries = 0; tries < 200 && failure; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        failure = tryLock(manifest, afterDeath);
    }
    EXPECT_EQ(failure, std::nullopt);
}

} // namespace
