#include "transfer/ftp/uploadwatch.h"

#include "transfer/ftp/bytestream.h"
#include "transfer/ftp/tcpsocket.h"

#include <algorithm>
#include <optional>

UploadWatch::UploadWatch(ByteStream &connection, std::chrono::milliseconds idleLimit, Report report)
    : m_connection(connection), m_idleLimit(idleLimit), m_report(std::move(report)),
      m_handedBefore(connection.bytesSent()), m_lastReport(Clock::now())
{}

std::size_t UploadWatch::unacknowledged() const
{
    return m_connection.socket().unacknowledgedBytes();
}

std::uint64_t UploadWatch::taken() const
{
    const std::uint64_t handed = m_connection.bytesSent() - m_handedBefore;
    const std::uint64_t held = unacknowledged();
    return std::min(handed > held ? handed - held : 0, m_limit);
}

void UploadWatch::report()
{
    m_lastReport = Clock::now();
    // What the server acknowledged never shrinks; TLS framing must not make it look so.
    m_reported = std::max(m_reported, taken());
    if (m_report)
        m_report(m_reported);
}

UploadWatch::WaitEnd UploadWatch::wait(const WaitOnce &waitOnce, bool untilTaken)
{
    using std::chrono::milliseconds;
    Deadline idle(m_idleLimit);
    // Asked of the system only when a wait goes on: most end within the first slice.
    std::optional<std::size_t> held;
    if (untilTaken) {
        held = unacknowledged();
        if (*held == 0)
            return WaitEnd::Taken;
    }
    for (;;) {
        const auto sinceReport = std::chrono::duration_cast<milliseconds>(Clock::now() - m_lastReport);
        const milliseconds untilReport = std::max(milliseconds(1), reportInterval - sinceReport);
        const bool came = waitOnce(Deadline(std::min(untilReport, milliseconds(idle.remainingMilliseconds()))));
        if (Clock::now() - m_lastReport >= reportInterval)
            report();
        if (came)
            return WaitEnd::Ready;
        const std::size_t now = unacknowledged();
        if (untilTaken && now == 0)
            return WaitEnd::Taken;
        if (held && now < *held)
            idle = Deadline(m_idleLimit); // the server still takes bytes, however slowly
        else if (idle.expired())
            return WaitEnd::Idle;
        held = now;
    }
}
