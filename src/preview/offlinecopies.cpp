#include "preview/offlinecopies.h"

#include <QDir>
#include <QFile>
#include <QUrl>

OfflineCopies::OfflineCopies(const QString &folder, int limit) : m_folder(folder), m_limit(qMax(1, limit))
{}

QString OfflineCopies::key(const QString &address)
{
    const QUrl url(address);
    if (!url.isValid())
        return address;
    return url.adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments).toString(QUrl::FullyEncoded);
}

QString OfflineCopies::reserve(const QString &address)
{
    // Numbered names: an address may hold any character, a file name may not.
    const QString path = QDir(m_folder).filePath(QStringLiteral("page-%1.mhtml").arg(m_nextNumber++));
    m_pending.insert(path, key(address));
    m_addresses.insert(path, address);
    return path;
}

void OfflineCopies::commit(const QString &path)
{
    const auto pending = m_pending.constFind(path);
    if (pending == m_pending.cend())
        return;
    const QString addressKey = pending.value();
    m_pending.erase(pending);
    if (const QString older = m_copies.value(addressKey); !older.isEmpty()) {
        QFile::remove(older);
        m_addresses.remove(older);
        m_order.removeOne(addressKey);
    }
    m_copies.insert(addressKey, path);
    m_order.append(addressKey);
    while (m_order.size() > m_limit) {
        const QString oldest = m_copies.take(m_order.takeFirst());
        QFile::remove(oldest);
        m_addresses.remove(oldest);
    }
}

void OfflineCopies::discard(const QString &path)
{
    if (m_pending.remove(path) == 0)
        return;
    m_addresses.remove(path);
    QFile::remove(path);
}

QString OfflineCopies::copyOf(const QString &address) const
{
    return m_copies.value(key(address));
}

QString OfflineCopies::addressOfCopy(const QString &path) const
{
    if (m_pending.contains(path))
        return QString();
    return m_addresses.value(path);
}
