#include "transfer/transferprogress.h"

#include "transfer/ftpjobcontext.h"

TransferProgress::TransferProgress(FtpJobContext &context, int files, qint64 bytes)
    : m_context(context), m_files(files), m_bytes(bytes)
{}

QString TransferProgress::describe(int index, int files, const QString &name)
{
    return QStringLiteral("%1/%2 %3").arg(index).arg(files).arg(name);
}

void TransferProgress::report(qint64 done, qint64 total, const QString &name)
{
    JobProgress progress{
        done, total, describe(std::min(m_filesDone + 1, m_files), m_files, name), m_filesDone, m_files};
    progress.jobDone = m_bytesDone + done;
    // A file that grew since it was counted must not push the whole past its end.
    progress.jobTotal = std::max(m_bytes, progress.jobDone);
    m_context.reportProgress(progress);
}

RemoteFiles::Progress TransferProgress::forFile(const QString &name)
{
    report(0, 0, name);
    return [this, name](std::uint64_t done, std::uint64_t total) {
        report(static_cast<qint64>(done), static_cast<qint64>(total), name);
        return !m_context.stopRequested();
    };
}

void TransferProgress::fileDone(qint64 size)
{
    ++m_filesDone;
    m_bytesDone += size;
}

void TransferProgress::step(const QString &name)
{
    report(0, 0, name);
}
