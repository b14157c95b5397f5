#include "transfer/ftp/ftpdataconnection.h"

#include "transfer/ftp/deadline.h"
#include "transfer/ftp/ftptimeouterror.h"
#include "transfer/ftp/socketerror.h"

#include <memory>

namespace {

constexpr int listenBacklog = 1;
constexpr int connectionTimedOut = 10060;

[[noreturn]] void throwIdle(std::chrono::milliseconds idleLimit)
{
    throw FtpTimeoutError(FtpFault::IdleTimeout, idleLimit);
}

} // namespace

FtpDataConnection FtpDataConnection::listenOn(std::uint32_t localAddress, const SocketInterrupter *interrupter)
{
    FtpDataConnection data;
    data.m_listener = TcpSocket::create();
    data.m_listener.setInterrupter(interrupter);
    data.m_listener.listen(Ipv4Endpoint{localAddress, 0}, listenBacklog);
    return data;
}

FtpDataConnection FtpDataConnection::connectTo(const Ipv4Endpoint &server,
                                               std::chrono::milliseconds timeLimit,
                                               const SocketInterrupter *interrupter)
{
    FtpDataConnection data;
    data.m_connection = TcpSocket::create();
    data.m_connection.setInterrupter(interrupter);
    if (!data.m_connection.connect(server, Deadline(timeLimit)))
        throw SocketError(connectionTimedOut);
    return data;
}

Ipv4Endpoint FtpDataConnection::listeningEndpoint() const
{
    return m_listener.localEndpoint();
}

bool FtpDataConnection::acceptServer(std::uint32_t serverAddress,
                                     bool onlyFrom,
                                     const Deadline &deadline,
                                     const TcpSocket *control)
{
    for (;;) {
        const TcpSocket::Readiness ready = control != nullptr ? m_listener.waitReadableOr(*control, deadline)
            : m_listener.waitReadable(deadline)               ? TcpSocket::Readiness::This
                                                              : TcpSocket::Readiness::Neither;
        if (ready == TcpSocket::Readiness::Neither)
            break;
        if (ready == TcpSocket::Readiness::Other)
            return false;
        TcpSocket candidate = m_listener.accept();
        if (!candidate.isOpen())
            continue;
        if (onlyFrom && candidate.peerEndpoint().address != serverAddress)
            continue; // an intruder: dropped by candidate's destructor without a byte read
        m_connection = std::move(candidate);
        m_listener.close();
        return true;
    }
    throw FtpTimeoutError(FtpFault::AcceptTimeout, deadline.limit());
}

void FtpDataConnection::receiveAll(const Sink &sink, std::chrono::milliseconds idleLimit)
{
    const std::unique_ptr<char[]> buffer(new char[blockSize]);
    for (;;) {
        const std::optional<std::size_t> received =
            m_connection.receiveSome(buffer.get(), blockSize, Deadline(idleLimit));
        if (!received)
            throwIdle(idleLimit);
        if (*received == 0)
            return;
        sink(buffer.get(), *received);
    }
}

void FtpDataConnection::send(const char *data, std::size_t size, std::chrono::milliseconds idleLimit)
{
    if (!m_connection.sendAll(data, size, idleLimit))
        throwIdle(idleLimit);
}

void FtpDataConnection::close()
{
    m_listener.close();
    m_connection.close();
}
