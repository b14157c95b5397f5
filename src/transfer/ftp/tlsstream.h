#pragma once

#include "transfer/ftp/bytestream.h"
#include "transfer/ftp/tcpsocket.h"

#include <memory>
#include <string>

class TlsContext;
typedef struct ssl_st SSL;
typedef struct x509_st X509;

// FTPS: the bytes go inside TLS over a non-blocking TCP connection, driven on the socket's
// poll loop so that every step (the handshake included) ends at its deadline or when the
// interrupter is raised. Always the client side of TLS, as FTPS asks for data connections too.
// Remembers whether the peer ended with a TLS close, which tells a whole download from a cut one.
class TlsStream : public ByteStream
{
public:
    // Runs the handshake for host (a name is also sent as SNI and checked against the
    // certificate, an address is checked as one), resuming the context's session when asked.
    // Throws FtpError (FtpFault::Tls) when it fails, FtpTimeoutError past the deadline.
    static std::unique_ptr<TlsStream>
    handshake(TcpSocket socket, TlsContext &context, const std::string &host, bool resume, const Deadline &deadline);
    // The same handshake in two halves: start() sends the client's first flight and returns
    // without waiting for the server, finishHandshake() waits for and completes the rest. What
    // lies between (reading a reply on another connection) then costs no round trip of its own.
    static std::unique_ptr<TlsStream>
    start(TcpSocket socket, TlsContext &context, const std::string &host, bool resume);
    void finishHandshake(const Deadline &deadline);
    ~TlsStream() override;

    bool isOpen() const override { return m_socket.isOpen(); }
    void close() override;
    std::optional<std::size_t> receiveSome(char *buffer, std::size_t capacity, const Deadline &deadline) override;
    bool sendAll(const char *data, std::size_t size, std::chrono::milliseconds idleLimit, UploadWatch *watch) override;
    std::uint64_t bytesSent() const override;
    bool hasBuffered() const override;
    bool waitReadable(const Deadline &deadline) override;
    TcpSocket &socket() override { return m_socket; }

    // Sends the TLS close and reads until the peer closes too, so that the peer has all the
    // data and the session stays good for the next connection. False when the deadline passed
    // (with watch, an upload's: when the peer took nothing for its idle limit).
    bool shutdown(const Deadline &deadline, UploadWatch *watch = nullptr);
    // The peer ended with a TLS close rather than just dropping the connection.
    bool closedCleanly() const { return m_closedCleanly; }
    // FtpCertificate::Problem bits the check found; 0 for a certificate that passed.
    unsigned certificateProblems() const { return m_problems; }
    // Not owned; nullptr when the server showed none.
    X509 *peerCertificate() const;

private:
    enum class Wait {
        Done,
        Again,
        Expired,
    };

    TlsStream(TcpSocket socket, SSL *ssl) : m_socket(std::move(socket)), m_ssl(ssl) {}
    // Drives the handshake until it is done or, without wait, until it would wait for the peer.
    void turnHandshake(const Deadline &deadline, bool wait);
    // Waits for what OpenSSL asked for after a call returned result; with watch, through it.
    Wait waitAfter(int result, const Deadline &deadline, const char *what, UploadWatch *watch = nullptr);
    std::size_t takeArrived(char *buffer, std::size_t capacity, const Deadline &deadline);
    static int noteProblem(int preverifyOk, struct x509_store_ctx_st *store);

    TcpSocket m_socket;
    SSL *m_ssl = nullptr;
    unsigned m_problems = 0;
    bool m_closedCleanly = false;
    bool m_ended = false; // the server's data has ended, with or without its TLS close
};
