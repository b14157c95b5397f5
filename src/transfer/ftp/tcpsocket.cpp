#include "transfer/ftp/tcpsocket.h"

#include "transfer/ftp/ftpcancellederror.h"
#include "transfer/ftp/ftperror.h"
#include "transfer/ftp/socketerror.h"
#include "transfer/ftp/socketinterrupter.h"
#include "transfer/ftp/uploadwatch.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#ifdef __linux__
#include <linux/sockios.h>
#endif
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

[[noreturn]] void throwLastError()
{
    throw SocketError::fromErrno(errno);
}

} // namespace

TcpSocket::~TcpSocket()
{
    close();
}

TcpSocket::TcpSocket(TcpSocket &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_interrupter(other.m_interrupter),
      m_bytesSent(std::exchange(other.m_bytesSent, 0))
{}

TcpSocket &TcpSocket::operator=(TcpSocket &&other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_interrupter = other.m_interrupter;
        m_bytesSent = std::exchange(other.m_bytesSent, 0);
    }
    return *this;
}

TcpSocket TcpSocket::create(int family)
{
    const int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw FtpError("Cannot allocate socket.");
    return TcpSocket(fd, nullptr);
}

void TcpSocket::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool TcpSocket::connect(const NetworkEndpoint &to, const Deadline &deadline)
{
    if (::connect(m_fd, to.data(), to.size()) == 0)
        return true;
    if (errno != EINPROGRESS && errno != EINTR)
        throwLastError();
    if (!waitFor(POLLOUT, deadline))
        return false;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        throwLastError();
    if (error != 0)
        throw SocketError::fromErrno(error);
    return true;
}

void TcpSocket::listen(const NetworkEndpoint &at, int backlog)
{
    if (::bind(m_fd, at.data(), at.size()) != 0) {
        if (errno == EADDRINUSE)
            throw FtpError("Could not bind socket. Address and port are already in use.");
        throwLastError();
    }
    if (::listen(m_fd, backlog) != 0)
        throwLastError();
}

TcpSocket TcpSocket::accept()
{
    const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0)
        return TcpSocket(fd, m_interrupter);
    // A connection that was reset before we took it is simply gone; keep waiting for another.
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR || errno == ECONNABORTED)
        return TcpSocket();
    throwLastError();
}

NetworkEndpoint TcpSocket::localEndpoint() const
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        throwLastError();
    return NetworkEndpoint(reinterpret_cast<const sockaddr *>(&address), length);
}

NetworkEndpoint TcpSocket::peerEndpoint() const
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(m_fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        throwLastError();
    return NetworkEndpoint(reinterpret_cast<const sockaddr *>(&address), length);
}

bool TcpSocket::waitReadable(const Deadline &deadline) const
{
    return waitFor(POLLIN, deadline);
}

bool TcpSocket::waitWritable(const Deadline &deadline) const
{
    return waitFor(POLLOUT, deadline);
}

TcpSocket::Readiness TcpSocket::waitReadableOr(const TcpSocket &other, const Deadline &deadline) const
{
    const auto [mine, theirs] = poll(POLLIN, &other, deadline);
    if (mine != 0)
        return Readiness::This;
    return theirs != 0 ? Readiness::Other : Readiness::Neither;
}

bool TcpSocket::waitFor(short events, const Deadline &deadline) const
{
    return poll(events, nullptr, deadline).first != 0;
}

std::pair<short, short> TcpSocket::poll(short events, const TcpSocket *other, const Deadline &deadline) const
{
    // A peer that keeps bytes coming would otherwise never let a wait see its deadline.
    checkInterrupted();
    if (deadline.expired())
        return {0, 0};
    pollfd entries[3];
    nfds_t count = 0;
    entries[count++] = pollfd{m_fd, events, 0};
    const nfds_t otherIndex = count;
    if (other != nullptr)
        entries[count++] = pollfd{other->m_fd, POLLIN, 0};
    const nfds_t wakeIndex = count;
    if (m_interrupter != nullptr)
        entries[count++] = pollfd{m_interrupter->fd(), POLLIN, 0};
    for (;;) {
        const int ready = ::poll(entries, count, deadline.remainingMilliseconds());
        if (ready > 0) {
            if (wakeIndex < count && entries[wakeIndex].revents != 0)
                throw FtpCancelledError();
            // errors and hang-ups surface in the call that follows
            return {entries[0].revents, other != nullptr ? entries[otherIndex].revents : short(0)};
        }
        if (ready == 0)
            return {0, 0};
        if (errno != EINTR)
            throwLastError();
    }
}

void TcpSocket::checkInterrupted() const
{
    if (m_interrupter != nullptr)
        m_interrupter->check();
}

std::optional<std::size_t> TcpSocket::receiveSome(char *buffer, std::size_t capacity, const Deadline &deadline)
{
    for (;;) {
        checkInterrupted();
        if (deadline.expired())
            return std::nullopt;
        const ssize_t received = ::recv(m_fd, buffer, capacity, 0);
        if (received >= 0)
            return static_cast<std::size_t>(received);
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            throwLastError();
        if (!waitFor(POLLIN, deadline))
            return std::nullopt;
    }
}

bool TcpSocket::sendAll(const char *data, std::size_t size, std::chrono::milliseconds idleLimit, UploadWatch *watch)
{
    return sendWith(0, data, size, idleLimit, watch);
}

bool TcpSocket::sendUrgent(const char *data, std::size_t size, std::chrono::milliseconds idleLimit)
{
    return sendWith(MSG_OOB, data, size, idleLimit, nullptr);
}

std::size_t TcpSocket::unacknowledgedBytes() const
{
#ifdef SIOCOUTQ
    int held = 0;
    if (m_fd >= 0 && ::ioctl(m_fd, SIOCOUTQ, &held) == 0 && held > 0)
        return static_cast<std::size_t>(held);
#endif
    return 0;
}

void TcpSocket::shutdownSending()
{
    if (m_fd >= 0 && ::shutdown(m_fd, SHUT_WR) != 0 && errno != ENOTCONN)
        throwLastError();
}

bool TcpSocket::sendWith(
    int flags, const char *data, std::size_t size, std::chrono::milliseconds idleLimit, UploadWatch *watch)
{
    while (size > 0) {
        checkInterrupted();
        const ssize_t sent = ::send(m_fd, data, size, flags | MSG_NOSIGNAL);
        if (sent >= 0) {
            data += sent;
            size -= static_cast<std::size_t>(sent);
            m_bytesSent += static_cast<std::uint64_t>(sent);
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            throwLastError();
        if (watch != nullptr) {
            const auto writable = [this](const Deadline &deadline) { return waitFor(POLLOUT, deadline); };
            if (watch->wait(writable) == UploadWatch::WaitEnd::Idle)
                return false;
        } else if (!waitFor(POLLOUT, Deadline(idleLimit))) {
            return false;
        }
    }
    return true;
}
