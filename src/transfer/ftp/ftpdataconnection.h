#pragma once

#include "transfer/ftp/deadline.h"
#include "transfer/ftp/ipv4endpoint.h"
#include "transfer/ftp/tcpsocket.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class SocketInterrupter;

// The one data connection of a transfer: in active mode the listening socket and the
// connection the server makes to it, in passive mode the connection the client makes.
// Moves the bytes in large blocks; every wait ends in FtpTimeoutError at its time limit.
class FtpDataConnection
{
public:
    // Large blocks keep the per-call cost negligible at loopback and LAN speeds.
    static constexpr std::size_t blockSize = 1024 * 1024;

    using Sink = std::function<void(const char *data, std::size_t size)>;

    // Active mode: listens on the given local address with a system-chosen port, backlog 1.
    static FtpDataConnection listenOn(std::uint32_t localAddress, const SocketInterrupter *interrupter);
    // Passive mode: connects to the server's data port.
    static FtpDataConnection
    connectTo(const Ipv4Endpoint &server, std::chrono::milliseconds timeLimit, const SocketInterrupter *interrupter);

    Ipv4Endpoint listeningEndpoint() const;

    // Waits for the server's connection and stops listening. With onlyFrom set, a
    // connection from any other address is closed unread and the wait goes on. With control
    // given, returns false, still listening, as soon as the control connection has something
    // to say instead (a server that refuses the transfer after all never connects); a
    // connection already waiting is taken first.
    bool acceptServer(std::uint32_t serverAddress,
                      bool onlyFrom,
                      const Deadline &deadline,
                      const TcpSocket *control = nullptr);

    // Hands every block received to the sink until the server closes the connection.
    void receiveAll(const Sink &sink, std::chrono::milliseconds idleLimit);
    void send(const char *data, std::size_t size, std::chrono::milliseconds idleLimit);

    void close();

private:
    TcpSocket m_listener;
    TcpSocket m_connection;
};
