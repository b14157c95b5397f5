#pragma once

#include "transfer/remotefiles.h"

#include <QString>

class FtpJobContext;

// How far a job of many files has come: the bytes of the file under way, files done of files,
// bytes done of bytes. Reports go through the job's context, which passes on a few a second at
// most, so counting every block costs the transfer nothing.
class TransferProgress
{
public:
    TransferProgress(FtpJobContext &context, int files, qint64 bytes);

    // For the transfer of one file: reports the file's bytes against its size as they
    // grow, and stops the transfer once the window asked to stop.
    RemoteFiles::Progress forFile(const QString &name);
    // The file is complete (or the step, for steps without bytes).
    void fileDone(qint64 size);
    // A step that moves no bytes (a listing, a deletion) under this name.
    void step(const QString &name);

    int filesDone() const { return m_filesDone; }
    qint64 bytesDone() const { return m_bytesDone; }

    // "3/20 index.html": the file's place in the job and its name.
    static QString describe(int index, int files, const QString &name);

private:
    void report(qint64 done, qint64 total, const QString &name);

    FtpJobContext &m_context;
    int m_files = 0;
    qint64 m_bytes = 0;
    int m_filesDone = 0;
    qint64 m_bytesDone = 0;
};
