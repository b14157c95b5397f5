#include "app/recentfilelist.h"

#include "common/linefile.h"

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

QStringList RecentFileList::add(const QString &path)
{
    const QStringList refused = LineFile::unstorableCharacters(path);
    if (!refused.isEmpty() || m_entries.contains(path, Qt::CaseSensitive))
        return refused;
    m_entries.prepend(path);
    m_entries.removeLast();
    return {};
}

void RecentFileList::loadLines(const QStringList &lines)
{
    setEntries(lines);
}

QStringList RecentFileList::toLines() const
{
    QStringList lines;
    for (const QString &entry : m_entries)
        lines.append(LineFile::unstorableCharacters(entry).isEmpty() ? entry : QString());
    return lines;
}
