#pragma once

#include "transfer/ftp/bytestream.h"
#include "transfer/ftp/deadline.h"
#include "transfer/ftp/networkendpoint.h"
#include "transfer/ftp/tcpsocket.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class SocketInterrupter;
class TlsContext;
class TlsStream;
class UploadWatch;

// The one data connection of a transfer: in active mode the listening socket and the
// connection the server makes to it, in passive mode the connection the client makes; plain
// or, once secured, inside TLS. Moves the bytes in large blocks; every wait ends in
// FtpTimeoutError at its time limit.
class FtpDataConnection
{
public:
    // Large blocks keep the per-call cost negligible at loopback and LAN speeds.
    static constexpr std::size_t blockSize = 1024 * 1024;
    // Inside TLS a download goes to the file a record at a time: decrypting into a small block
    // that is still in the cache when it is written costs less than the calls it saves, and a
    // large one pushes the server's side of a local transfer out of the cache.
    static constexpr std::size_t tlsReceiveBlockSize = 16 * 1024;

    using Sink = std::function<void(const char *data, std::size_t size)>;

    FtpDataConnection();
    ~FtpDataConnection();
    FtpDataConnection(FtpDataConnection &&) noexcept;
    FtpDataConnection &operator=(FtpDataConnection &&) noexcept;

    // Active mode: listens on the given local address with a system-chosen port, backlog 1.
    static FtpDataConnection listenOn(const NetworkEndpoint &local, const SocketInterrupter *interrupter);
    // Passive mode: connects to the server's data port.
    static FtpDataConnection
    connectTo(const NetworkEndpoint &server, std::chrono::milliseconds timeLimit, const SocketInterrupter *interrupter);

    NetworkEndpoint listeningEndpoint() const;

    // Waits for the server's connection and stops listening. With onlyFrom set, a
    // connection from any other address is closed unread and the wait goes on. With control
    // given, returns false, still listening, as soon as the control connection has something
    // to say instead (a server that refuses the transfer after all never connects); a
    // connection already waiting is taken first.
    bool
    acceptServer(const NetworkEndpoint &server, bool onlyFrom, const Deadline &deadline, ByteStream *control = nullptr);

    // Puts TLS on the connection, resuming the control connection's session. The server must
    // show the certificate the control connection showed (fingerprint), or it is refused.
    void secure(TlsContext &context, const std::string &host, const std::string &fingerprint, const Deadline &deadline);
    // Sends the first flight of that handshake without waiting, so that it crosses the server's
    // "150" rather than waiting for it: a round trip saved on every transfer. secure() finishes
    // it; nothing moves on the connection before.
    void startSecuring(TlsContext &context, const std::string &host);

    // Hands every block received to the sink until the server closes the connection. False
    // when a TLS connection ended without the TLS close: the data may be cut short.
    bool receiveAll(const Sink &sink, std::chrono::milliseconds idleLimit);
    // With watch (an upload's), the waits go through it.
    void send(const char *data, std::size_t size, std::chrono::milliseconds idleLimit, UploadWatch *watch = nullptr);
    // After the last send: the end of the data (on TLS the close, and the wait for the
    // server's), so that the server knows it has everything and a TLS session can be resumed
    // next time. The connection stays open, to tell how far the data has come.
    void finishSending(std::chrono::milliseconds idleLimit, UploadWatch *watch = nullptr);

    // The connection the data moves on, once it stands.
    ByteStream &stream() { return *m_connection; }

    void close();

private:
    bool finishReceiving(std::chrono::milliseconds idleLimit);

    TcpSocket m_listener;
    std::unique_ptr<ByteStream> m_connection;
    TlsStream *m_tls = nullptr;      // m_connection when secured
    TlsStream *m_securing = nullptr; // m_connection while its handshake is under way
};
