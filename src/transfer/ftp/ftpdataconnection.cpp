#include "transfer/ftp/ftpdataconnection.h"

#include "transfer/ftp/certificatereader.h"
#include "transfer/ftp/deadline.h"
#include "transfer/ftp/ftpcancellederror.h"
#include "transfer/ftp/ftptimeouterror.h"
#include "transfer/ftp/socketerror.h"
#include "transfer/ftp/tcpstream.h"
#include "transfer/ftp/tlsstream.h"

#include <memory>
#include <utility>

namespace {

constexpr int listenBacklog = 1;
constexpr int connectionTimedOut = 10060;

[[noreturn]] void throwIdle(std::chrono::milliseconds idleLimit)
{
    throw FtpTimeoutError(FtpFault::IdleTimeout, idleLimit);
}

} // namespace

FtpDataConnection::FtpDataConnection() = default;
FtpDataConnection::~FtpDataConnection() = default;
FtpDataConnection::FtpDataConnection(FtpDataConnection &&) noexcept = default;
FtpDataConnection &FtpDataConnection::operator=(FtpDataConnection &&) noexcept = default;

FtpDataConnection FtpDataConnection::listenOn(const NetworkEndpoint &local, const SocketInterrupter *interrupter)
{
    FtpDataConnection data;
    data.m_listener = TcpSocket::create(local.family());
    data.m_listener.setInterrupter(interrupter);
    data.m_listener.listen(local.withPort(0), listenBacklog);
    return data;
}

FtpDataConnection FtpDataConnection::connectTo(const NetworkEndpoint &server,
                                               std::chrono::milliseconds timeLimit,
                                               const SocketInterrupter *interrupter)
{
    TcpSocket socket = TcpSocket::create(server.family());
    socket.setInterrupter(interrupter);
    if (!socket.connect(server, Deadline(timeLimit)))
        throw SocketError(connectionTimedOut);
    FtpDataConnection data;
    data.m_connection = std::make_unique<TcpStream>(std::move(socket));
    return data;
}

NetworkEndpoint FtpDataConnection::listeningEndpoint() const
{
    return m_listener.localEndpoint();
}

bool FtpDataConnection::acceptServer(const NetworkEndpoint &server,
                                     bool onlyFrom,
                                     const Deadline &deadline,
                                     ByteStream *control)
{
    for (;;) {
        TcpSocket::Readiness ready = TcpSocket::Readiness::Neither;
        if (control != nullptr && control->hasBuffered())
            ready = TcpSocket::Readiness::Other;
        else if (control != nullptr)
            ready = m_listener.waitReadableOr(control->socket(), deadline);
        else if (m_listener.waitReadable(deadline))
            ready = TcpSocket::Readiness::This;
        if (ready == TcpSocket::Readiness::Neither)
            break;
        if (ready == TcpSocket::Readiness::Other)
            return false;
        TcpSocket candidate = m_listener.accept();
        if (!candidate.isOpen())
            continue;
        if (onlyFrom && !candidate.peerEndpoint().sameAddress(server))
            continue; // an intruder: dropped by candidate's destructor without a byte read
        m_connection = std::make_unique<TcpStream>(std::move(candidate));
        m_listener.close();
        return true;
    }
    throw FtpTimeoutError(FtpFault::AcceptTimeout, deadline.limit());
}

void FtpDataConnection::startSecuring(TlsContext &context, const std::string &host)
{
    auto *plain = static_cast<TcpStream *>(m_connection.get());
    std::unique_ptr<TlsStream> tls = TlsStream::start(plain->release(), context, host, true);
    m_securing = tls.get();
    m_connection = std::move(tls);
}

void FtpDataConnection::secure(TlsContext &context,
                               const std::string &host,
                               const std::string &fingerprint,
                               const Deadline &deadline)
{
    if (m_securing == nullptr)
        startSecuring(context, host);
    m_securing->finishHandshake(deadline);
    if (m_securing->peerCertificate() == nullptr
        || CertificateReader::fingerprint(m_securing->peerCertificate()) != fingerprint)
        throw FtpError("The data connection showed another certificate than the control connection.", FtpFault::Tls);
    m_tls = std::exchange(m_securing, nullptr);
}

bool FtpDataConnection::receiveAll(const Sink &sink, std::chrono::milliseconds idleLimit)
{
    const std::size_t capacity = m_tls == nullptr ? blockSize : tlsReceiveBlockSize;
    const std::unique_ptr<char[]> buffer(new char[capacity]);
    for (;;) {
        const std::optional<std::size_t> received =
            m_connection->receiveSome(buffer.get(), capacity, Deadline(idleLimit));
        if (!received)
            throwIdle(idleLimit);
        if (*received == 0)
            return m_tls == nullptr || finishReceiving(idleLimit);
        sink(buffer.get(), *received);
    }
}

bool FtpDataConnection::finishReceiving(std::chrono::milliseconds idleLimit)
{
    if (!m_tls->closedCleanly())
        return false;
    // Our close in answer to the server's: a session whose connection was just dropped may be
    // refused when the next data connection resumes it.
    try {
        m_tls->shutdown(Deadline(idleLimit));
    } catch (const FtpCancelledError &) {
        throw;
    } catch (const FtpError &) {
        // Every byte arrived and was vouched for; the next connection just starts afresh.
    }
    return true;
}

void FtpDataConnection::send(const char *data,
                             std::size_t size,
                             std::chrono::milliseconds idleLimit,
                             UploadWatch *watch)
{
    if (!m_connection->sendAll(data, size, idleLimit, watch))
        throwIdle(idleLimit);
}

void FtpDataConnection::finishSending(std::chrono::milliseconds idleLimit, UploadWatch *watch)
{
    if (m_tls == nullptr) {
        m_connection->socket().shutdownSending();
        return;
    }
    if (!m_tls->shutdown(Deadline(idleLimit), watch))
        throwIdle(idleLimit);
}

void FtpDataConnection::close()
{
    m_listener.close();
    if (m_connection)
        m_connection->close();
}
