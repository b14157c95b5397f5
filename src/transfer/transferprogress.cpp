#include "transfer/transferprogress.h"

#include "transfer/ftpjobcontext.h"

TransferProgress::TransferProgress(FtpJobContext &context, int files, qint64 bytes)
    : m_context(context), m_files(files), m_bytes(bytes)
{}

QString TransferProgress::describe(int index, int files, const QString &name)
{
    return QStringLiteral("%1/%2 %3").arg(index).arg(files).arg(name);
}

void TransferProgress::report(qint64 bytes, const QString &name)
{
    // A file that grew since it was counted must not push the bar past its end.
    const qint64 total = std::max(m_bytes, bytes);
    m_context.reportProgress(bytes, total, describe(std::min(m_filesDone + 1, m_files), m_files, name));
}

FtpClient::Progress TransferProgress::forFile(const QString &name)
{
    report(m_bytesDone, name);
    return [this, name](std::uint64_t done, std::uint64_t) {
        report(m_bytesDone + static_cast<qint64>(done), name);
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
    report(m_bytesDone, name);
}
