#pragma once

#include <QDateTime>
#include <QString>

// What a page's file on disk looked like when the program last read or wrote it: its time of
// change and size. Another program writing the file (a download over it, another editor)
// changes one of them, which is how the program notices. Taken without reading the file.
struct DiskStamp
{
    QDateTime modified; // invalid: no file
    qint64 size = -1;

    static DiskStamp of(const QString &path);
    bool exists() const { return modified.isValid(); }
    bool operator==(const DiskStamp &other) const = default;
};
