#pragma once

#include <QStringList>

// The seven most recent document paths, newest first, as the File menu's slots show them.
// Empty slots are empty strings; the list always has exactly seven entries.
class RecentFileList
{
public:
    static constexpr int kSlotCount = 7;

    RecentFileList();

    const QStringList &entries() const { return m_entries; }
    void setEntries(const QStringList &captions); // extra entries ignored, missing ones empty

    // A path already present (compared exactly, letter case included) stays where it is;
    // otherwise every entry moves down one slot, the last one drops out, the path goes first.
    // A path the list file cannot hold as one line is not added: returns the names of its
    // characters that no line can hold, empty when the path was taken.
    QStringList add(const QString &path);

    // The list file holds one slot per line, always seven lines; an entry no line can hold is
    // written as an empty slot rather than split over two.
    void loadLines(const QStringList &lines);
    QStringList toLines() const;

private:
    QStringList m_entries;
};
