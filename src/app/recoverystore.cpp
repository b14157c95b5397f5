#include "app/recoverystore.h"

#include "common/atomicfile.h"
#include "common/regularfile.h"
#include "common/runlock.h"
#include "common/usererror.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <algorithm>
#include <atomic>

namespace {

const QString kPageSuffix = QStringLiteral(".page");
const QString kLockSuffix = QStringLiteral(".lock");

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Every page of a run has a store of its own, and a session's tabs open within one millisecond:
// a count tells their stores apart, or one page's copy would be written over another's.
QString newStoreId()
{
    static std::atomic<quint64> made{0};
    return QStringLiteral("%1-%2-%3")
        .arg(QCoreApplication::applicationPid())
        .arg(QDateTime::currentMSecsSinceEpoch())
        .arg(made.fetch_add(1));
}

} // namespace

RecoveryStore::RecoveryStore(QString folder)
    : m_folder(std::move(folder)),
      // The start time too: a process number alone comes back after a restart.
      m_id(newStoreId())
{}

RecoveryStore::~RecoveryStore() = default;

QString RecoveryStore::pagePath(const QString &id) const
{
    return QDir(m_folder).filePath(id + kPageSuffix);
}

QString RecoveryStore::lockPath(const QString &id) const
{
    return QDir(m_folder).filePath(id + kLockSuffix);
}

void RecoveryStore::ensureFolder() const
{
    // The pages hold the user's unfinished work: no one else reads them.
    if (!QDir().mkpath(m_folder))
        throw UserError(QStringLiteral("フォルダ %1 を作成できません").arg(QDir::toNativeSeparators(m_folder)));
    QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void RecoveryStore::keep(const KeptPage &page)
{
    if (!m_lock) {
        ensureFolder();
        m_lock = RunLock::tryTake(lockPath(m_id));
        if (!m_lock)
            throw UserError(
                QStringLiteral("ファイル %1 を作成できません").arg(QDir::toNativeSeparators(lockPath(m_id))));
    }
    AtomicFile::write(pagePath(m_id), page.toBytes(), kOwnerOnly);
}

void RecoveryStore::discard()
{
    QFile::remove(pagePath(m_id));
}

QList<RecoveryStore::Leftover> RecoveryStore::takeLeftovers()
{
    QList<Leftover> leftovers;
    // A run that ended before keeping anything leaves only its lock; taken and let go, it is gone.
    const QStringList locks = QDir(m_folder).entryList({QLatin1Char('*') + kLockSuffix}, QDir::Files);
    for (const QString &name : locks) {
        const QString id = name.chopped(kLockSuffix.size());
        if (id != m_id && !QFile::exists(pagePath(id)))
            RunLock::tryTake(lockPath(id));
    }
    const QStringList pages = QDir(m_folder).entryList({QLatin1Char('*') + kPageSuffix}, QDir::Files);
    for (const QString &name : pages) {
        const QString id = name.chopped(kPageSuffix.size());
        if (id == m_id || m_leftoverLocks.count(id))
            continue;
        std::unique_ptr<QLockFile> lock = RunLock::tryTake(lockPath(id));
        if (!lock)
            continue; // its run is still going
        std::optional<KeptPage> page;
        try {
            page = KeptPage::parse(RegularFile::readAll(pagePath(id), RegularFile::kDocumentLimit * 2));
        } catch (const UserError &) {
        }
        if (!page)
            continue;
        m_leftoverLocks[id] = std::move(lock);
        leftovers.append({id, *page});
    }
    std::sort(leftovers.begin(), leftovers.end(), [](const Leftover &a, const Leftover &b) {
        return a.page.keptAt > b.page.keptAt;
    });
    return leftovers;
}

void RecoveryStore::discardLeftover(const QString &id)
{
    QFile::remove(pagePath(id));
    m_leftoverLocks.erase(id);
}

void RecoveryStore::releaseLeftovers()
{
    m_leftoverLocks.clear();
}
