#include "app/recentfilelist.h"

RecentFileList::RecentFileList()
{
    setEntries({});
}

void RecentFileList::setEntries(const QStringList &captions)
{
    m_entries = captions.mid(0, kSlotCount);
    while (m_entries.size() < kSlotCount)
        m_entries.append(QString());
}

void RecentFileList::add(const QString &path)
{
    if (m_entries.contains(path, Qt::CaseSensitive))
        return;
    m_entries.prepend(path);
    m_entries.removeLast();
}

void RecentFileList::loadLines(const QStringList &lines)
{
    setEntries(lines);
}
