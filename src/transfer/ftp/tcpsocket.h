#pragma once

#include "transfer/ftp/deadline.h"
#include "transfer/ftp/networkendpoint.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>

class SocketInterrupter;
class UploadWatch;

// Owns one non-blocking TCP socket (IPv4 or IPv6) and turns its calls into waits with deadlines:
// every blocking step polls until it can go on or the deadline passes, so no call can hang.
// A deadline that has passed ends the wait even while bytes keep arriving. With an
// interrupter set, raising it ends any wait at once with FtpCancelledError.
// Socket failures become SocketError; a peer that went away is an error, never SIGPIPE.
class TcpSocket
{
public:
    enum class Readiness {
        Neither,
        This,
        Other,
    };

    TcpSocket() = default;
    ~TcpSocket();
    TcpSocket(TcpSocket &&other) noexcept;
    TcpSocket &operator=(TcpSocket &&other) noexcept;
    TcpSocket(const TcpSocket &) = delete;
    TcpSocket &operator=(const TcpSocket &) = delete;

    // Throws FtpError "Cannot allocate socket." when the system has no socket to give.
    static TcpSocket create(int family = AF_INET);

    bool isOpen() const { return m_fd >= 0; }
    // For a layer on top (TLS) that reads and writes the descriptor itself.
    int fd() const { return m_fd; }
    // Not owned; must outlive the socket. Sockets accepted from this one inherit it.
    void setInterrupter(const SocketInterrupter *interrupter) { m_interrupter = interrupter; }
    void close();

    // Returns false when the deadline passed before the connection was made.
    bool connect(const NetworkEndpoint &to, const Deadline &deadline);
    void listen(const NetworkEndpoint &at, int backlog);
    // Takes one pending connection; an unopened socket when none is waiting.
    TcpSocket accept();

    NetworkEndpoint localEndpoint() const;
    NetworkEndpoint peerEndpoint() const;

    // Waits until the socket is readable; false when the deadline passed.
    bool waitReadable(const Deadline &deadline) const;
    bool waitWritable(const Deadline &deadline) const;
    // Waits until this socket or the other one is readable; This when both are.
    Readiness waitReadableOr(const TcpSocket &other, const Deadline &deadline) const;
    // Reads what is there, at most capacity bytes; 0 means the peer closed the connection;
    // nullopt means the deadline passed first.
    std::optional<std::size_t> receiveSome(char *buffer, std::size_t capacity, const Deadline &deadline);
    // Sends every byte; false when the peer took nothing for idleLimit. The limit restarts
    // whenever the peer takes bytes, so a slow but moving link never times out. With watch (an
    // upload), the waits go through it and its idle limit counts.
    bool sendAll(const char *data, std::size_t size, std::chrono::milliseconds idleLimit, UploadWatch *watch = nullptr);
    // The same as urgent data: TCP marks the last byte sent, which the peer is told of at once.
    bool sendUrgent(const char *data, std::size_t size, std::chrono::milliseconds idleLimit);

    // Throws FtpCancelledError when the interrupter is raised.
    void checkInterrupted() const;

    // Bytes sent through this socket so far.
    std::uint64_t bytesSent() const { return m_bytesSent; }
    // Bytes the system holds for the peer that it has not acknowledged yet (sent or not); 0
    // where the system cannot tell.
    std::size_t unacknowledgedBytes() const;
    // No more bytes from this side; what the system holds still goes, and the socket stays
    // open to tell how far it went.
    void shutdownSending();

private:
    explicit TcpSocket(int fd, const SocketInterrupter *interrupter) : m_fd(fd), m_interrupter(interrupter) {}
    bool
    sendWith(int flags, const char *data, std::size_t size, std::chrono::milliseconds idleLimit, UploadWatch *watch);
    bool waitFor(short events, const Deadline &deadline) const;
    // Polls this socket for events and, when given, the other for input; the revents of each.
    std::pair<short, short> poll(short events, const TcpSocket *other, const Deadline &deadline) const;

    int m_fd = -1;
    const SocketInterrupter *m_interrupter = nullptr;
    std::uint64_t m_bytesSent = 0;
};
