#include "common/previewcopyrecord.h"

#include "common/atomicfile.h"
#include "common/regularfile.h"
#include "common/runlock.h"
#include "common/usererror.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QMutex>
#include <QMutexLocker>

#include <algorithm>
#include <optional>

namespace {

const QString kRecordSuffix = QStringLiteral(".json");
const QString kLockSuffix = QStringLiteral(".lock");
const QString kFormatKey = QStringLiteral("qzweb-preview-copies");
constexpr int kFormat = 1;
// A record holds a few lines; anything bigger is not one of ours.
constexpr qint64 kRecordLimit = 256 * 1024;
// What the file held before the write under way, and what it holds after.
constexpr int kVersionsKept = 2;
// How long a copy in a folder that is not there stays on record: a disk comes back within
// days, a folder deleted with the site never does.
constexpr qint64 kUnreachableKeptMs = qint64(30) * 24 * 60 * 60 * 1000;
constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

using Copy = PreviewCopyRecord::Copy;
using Version = PreviewCopyRecord::Version;

// The records of this process, asked by holds() from any thread; their copies change on the
// thread that owns them, always under this lock.
QMutex &registryLock()
{
    static QMutex lock;
    return lock;
}

QList<const PreviewCopyRecord *> &liveRecords()
{
    static QList<const PreviewCopyRecord *> records;
    return records;
}

QString recordIn(const QString &folder, const QString &id)
{
    return QDir(folder).filePath(id + kRecordSuffix);
}

QString lockIn(const QString &folder, const QString &id)
{
    return QDir(folder).filePath(id + kLockSuffix);
}

// The path with its folder's links resolved, so that a site reached through a linked folder is
// the same site; the name itself is not followed.
QString resolved(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return QDir(folder.isEmpty() ? info.absolutePath() : folder).filePath(info.fileName());
}

QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

// Still a plain file holding exactly one of the versions written. Only a file of a recorded
// size is read.
bool isAsWritten(const Copy &copy)
{
    const QFileInfo info(copy.path);
    if (info.isSymLink() || !info.isFile())
        return false;
    const qint64 size = info.size();
    if (std::none_of(copy.versions.cbegin(), copy.versions.cend(), [size](const Version &v) { return v.size == size; }))
        return false;
    QByteArray bytes;
    try {
        bytes = RegularFile::readAll(copy.path, size);
    } catch (const UserError &) {
        return false;
    }
    const QByteArray hash = sha256(bytes);
    return std::any_of(copy.versions.cbegin(), copy.versions.cend(), [&](const Version &v) {
        return v.size == bytes.size() && v.sha256 == hash;
    });
}

// Gone, and not a dangling link either.
bool isGone(const QString &path)
{
    const QFileInfo info(path);
    return !info.exists() && !info.isSymLink();
}

QByteArray toBytes(const QList<Copy> &copies)
{
    QJsonArray list;
    for (const Copy &copy : copies) {
        QJsonArray versions;
        for (const Version &version : copy.versions)
            versions.append(QJsonObject{{QStringLiteral("size"), double(version.size)},
                                        {QStringLiteral("sha256"), QString::fromLatin1(version.sha256.toHex())}});
        list.append(QJsonObject{{QStringLiteral("path"), copy.path},
                                {QStringLiteral("written"), double(copy.writtenAt)},
                                {QStringLiteral("versions"), versions}});
    }
    return QJsonDocument(QJsonObject{{kFormatKey, kFormat}, {QStringLiteral("copies"), list}})
        .toJson(QJsonDocument::Compact);
}

// Nothing for a file that is not a record of ours (damaged, cut short, another program's).
std::optional<QList<Copy>> parse(const QByteArray &bytes)
{
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isObject() || document.object().value(kFormatKey).toInt() != kFormat)
        return std::nullopt;
    QList<Copy> copies;
    for (const QJsonValue &item : document.object().value(QStringLiteral("copies")).toArray()) {
        Copy copy;
        copy.path = item[QStringLiteral("path")].toString();
        copy.writtenAt = qint64(item[QStringLiteral("written")].toDouble());
        for (const QJsonValue &v : item[QStringLiteral("versions")].toArray()) {
            const QByteArray hash = QByteArray::fromHex(v[QStringLiteral("sha256")].toString().toLatin1());
            if (hash.size() == 32)
                copy.versions.append({qint64(v[QStringLiteral("size")].toDouble(-1)), hash});
        }
        if (QFileInfo(copy.path).isAbsolute() && !copy.versions.isEmpty())
            copies.append(copy);
    }
    return copies;
}

std::optional<QList<Copy>> readRecord(const QString &path)
{
    try {
        return parse(RegularFile::readAll(path, kRecordLimit));
    } catch (const UserError &) {
        return std::nullopt;
    }
}

QStringList recordIds(const QString &folder, const QString &suffix)
{
    QStringList ids;
    for (const QString &name : QDir(folder).entryList({QLatin1Char('*') + suffix}, QDir::Files))
        ids.append(name.chopped(suffix.size()));
    return ids;
}

} // namespace

PreviewCopyRecord::PreviewCopyRecord(QString folder)
    : m_folder(std::move(folder)),
      // The start time too: a process number alone comes back after a restart.
      m_id(QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid()).arg(QDateTime::currentMSecsSinceEpoch()))
{
    const QMutexLocker locker(&registryLock());
    liveRecords().append(this);
}

PreviewCopyRecord::~PreviewCopyRecord()
{
    {
        const QMutexLocker locker(&registryLock());
        liveRecords().removeOne(this);
        m_copies.removeIf([](const Copy &copy) { return isGone(copy.path); });
    }
    store();
    // Let go: what is left on record is a leftover now, for the next start.
}

QString PreviewCopyRecord::recordPath(const QString &id) const
{
    return recordIn(m_folder, id);
}

QString PreviewCopyRecord::lockPath(const QString &id) const
{
    return lockIn(m_folder, id);
}

void PreviewCopyRecord::writing(const QString &path, const QByteArray &bytes)
{
    const QString file = resolved(path);
    const Version version{bytes.size(), sha256(bytes)};
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    {
        const QMutexLocker locker(&registryLock());
        const auto found =
            std::find_if(m_copies.begin(), m_copies.end(), [&](const Copy &copy) { return copy.path == file; });
        if (found == m_copies.end()) {
            m_copies.append({file, {version}, now});
            if (m_copies.size() > kMaxCopies)
                m_copies.removeFirst();
        } else if (found->versions.constLast().sha256 != version.sha256) {
            found->versions.append(version);
            while (found->versions.size() > kVersionsKept)
                found->versions.removeFirst();
            found->writtenAt = now;
        } else {
            return;
        }
    }
    store();
}

void PreviewCopyRecord::removed(const QString &path)
{
    const QString file = resolved(path);
    {
        const QMutexLocker locker(&registryLock());
        if (m_copies.removeIf([&](const Copy &copy) { return copy.path == file; }) == 0)
            return;
    }
    store();
}

void PreviewCopyRecord::removeAll()
{
    for (const Copy &copy : std::as_const(m_copies)) {
        if (!QFileInfo(copy.path).isDir())
            QFile::remove(copy.path);
    }
    {
        const QMutexLocker locker(&registryLock());
        m_copies.removeIf([](const Copy &copy) { return isGone(copy.path); });
    }
    store();
}

QStringList PreviewCopyRecord::paths() const
{
    QStringList paths;
    for (const Copy &copy : m_copies)
        paths.append(copy.path);
    return paths;
}

void PreviewCopyRecord::store()
{
    // Only the thread that owns the record changes its copies, so it reads them without the lock.
    if (m_copies.isEmpty()) {
        if (m_lock) {
            QFile::remove(recordPath(m_id));
            m_lock.reset();
        }
        return;
    }
    if (!m_lock) {
        // Names of the user's folders are no one else's business.
        if (!QDir().mkpath(m_folder))
            return;
        QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        m_lock = RunLock::tryTake(lockPath(m_id));
        if (!m_lock)
            return;
    }
    try {
        AtomicFile::write(recordPath(m_id), toBytes(m_copies), kOwnerOnly);
    } catch (const UserError &) {
        // The copy is still known to this process; only a later start would miss it.
    }
}

QStringList PreviewCopyRecord::removeLeftovers(const QString &folder)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QStringList deleted;
    QStringList ours;
    {
        const QMutexLocker locker(&registryLock());
        for (const PreviewCopyRecord *record : liveRecords())
            ours.append(record->m_id);
    }
    // A run that ended between taking its lock and writing its record leaves only the lock;
    // taken and let go, it is gone.
    for (const QString &id : recordIds(folder, kLockSuffix)) {
        if (!ours.contains(id) && !QFile::exists(recordIn(folder, id)))
            RunLock::tryTake(lockIn(folder, id));
    }
    for (const QString &id : recordIds(folder, kRecordSuffix)) {
        if (ours.contains(id))
            continue;
        const std::unique_ptr<QLockFile> lock = RunLock::tryTake(lockIn(folder, id));
        if (!lock)
            continue; // its run is still going
        const QString record = recordIn(folder, id);
        QList<Copy> kept;
        for (const Copy &copy : readRecord(record).value_or(QList<Copy>{})) {
            if (!QFileInfo::exists(QFileInfo(copy.path).absolutePath())) {
                if (now - copy.writtenAt < kUnreachableKeptMs)
                    kept.append(copy);
            } else if (isAsWritten(copy)) {
                if (QFile::remove(copy.path))
                    deleted.append(copy.path);
                else
                    kept.append(copy);
            }
        }
        if (kept.isEmpty()) {
            QFile::remove(record);
            continue;
        }
        try {
            AtomicFile::write(record, toBytes(kept), kOwnerOnly);
        } catch (const UserError &) {
        }
    }
    return deleted;
}

bool PreviewCopyRecord::holds(const QString &folder, const QString &path)
{
    const QString file = resolved(path);
    {
        const QMutexLocker locker(&registryLock());
        for (const PreviewCopyRecord *record : liveRecords()) {
            for (const Copy &copy : record->m_copies) {
                if (copy.path == file)
                    return true;
            }
        }
    }
    for (const QString &id : recordIds(folder, kRecordSuffix)) {
        for (const Copy &copy : readRecord(recordIn(folder, id)).value_or(QList<Copy>{})) {
            if (copy.path == file && isAsWritten(copy))
                return true;
        }
    }
    return false;
}
