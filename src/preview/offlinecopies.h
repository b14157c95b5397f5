#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The copies of web pages the pane has shown in this run, kept in a folder so that a page
// seen online can be shown again while the pane is offline. A copy is written under a name
// this store hands out and counts only once its writing is reported done, so a half-written
// copy is never shown. One copy per address (the part after "#" does not count); the newest
// replaces an older one; beyond the limit the oldest copies are deleted. It deletes the files
// it named once they are replaced, evicted or failed; the folder is the caller's.
class OfflineCopies
{
public:
    static constexpr int kDefaultLimit = 200;

    explicit OfflineCopies(const QString &folder, int limit = kDefaultLimit);

    // The file to write a new copy of the page at address to.
    QString reserve(const QString &address);
    // The copy at path was written completely: from now on it stands for its address.
    void commit(const QString &path);
    // Writing the copy at path failed: the file goes, an older copy of the address stays.
    void discard(const QString &path);

    // The complete copy of the page at address; empty when there is none.
    QString copyOf(const QString &address) const;
    // The address a copy file stands for; empty when path is no complete copy.
    QString addressOfCopy(const QString &path) const;
    int count() const { return static_cast<int>(m_copies.size()); }

    static QString key(const QString &address);

private:
    QString m_folder;
    int m_limit;
    int m_nextNumber = 1;
    QHash<QString, QString> m_pending;   // path being written -> address key
    QHash<QString, QString> m_copies;    // address key -> path
    QHash<QString, QString> m_addresses; // path -> address as first given
    QStringList m_order;                 // address keys, oldest copy first
};
