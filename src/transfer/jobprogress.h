#pragma once

#include <QMetaType>
#include <QString>

#include <optional>

// How far a job has come, as the window shows it: the bytes of the file under way against its
// size and, for a job of several files (a folder, a publish), how many of them are done and the
// bytes of them all.
struct JobProgress
{
    qint64 done = 0;  // bytes of the file under way the server (or the disk) has
    qint64 total = 0; // its size; 0 when unknown
    QString name;     // what the job is working on ("3/20 index.html")
    int filesDone = 0;
    int files = 0;       // 0 for a job that is not about files
    qint64 jobDone = 0;  // bytes of the whole job, the file under way included
    qint64 jobTotal = 0; // 0 when unknown

    // The share of the whole job done, 0 to 100: of the file's size for one file, of the files
    // for several (the file under way counting for its share). Nothing when it cannot be told.
    std::optional<int> percent() const;
    // The name with the file's bytes ("3/20 index.html 512 / 2048 KB"), and those of the whole
    // job for several files.
    QString description() const;
};

Q_DECLARE_METATYPE(JobProgress)
