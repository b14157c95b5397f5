#include "transfer/ftp/tlsstream.h"

#include "transfer/ftp/ftpcertificate.h"
#include "transfer/ftp/ftptimeouterror.h"
#include "transfer/ftp/socketerror.h"
#include "transfer/ftp/socketinterrupter.h"
#include "transfer/ftp/tlscontext.h"
#include "transfer/ftp/tlserror.h"
#include "transfer/ftp/uploadwatch.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>

namespace {

// OpenSSL's own socket BIO writes with write(), which raises SIGPIPE on a connection the peer
// dropped; this one sends with MSG_NOSIGNAL and is otherwise the same.
int sendNoSignal(BIO *bio, const char *data, int size)
{
    BIO_clear_retry_flags(bio);
    const ssize_t sent = ::send(BIO_get_fd(bio, nullptr), data, static_cast<std::size_t>(size), MSG_NOSIGNAL);
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        BIO_set_retry_write(bio);
    return static_cast<int>(sent);
}

BIO_METHOD *noSignalSocketMethod()
{
    static BIO_METHOD *const method = [] {
        BIO_METHOD *made =
            BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK | BIO_TYPE_DESCRIPTOR, "socket without SIGPIPE");
        const BIO_METHOD *plain = BIO_s_socket();
        BIO_meth_set_write(made, sendNoSignal);
        BIO_meth_set_read(made, BIO_meth_get_read(plain));
        BIO_meth_set_puts(made, BIO_meth_get_puts(plain));
        BIO_meth_set_ctrl(made, BIO_meth_get_ctrl(plain));
        BIO_meth_set_create(made, BIO_meth_get_create(plain));
        BIO_meth_set_destroy(made, BIO_meth_get_destroy(plain));
        return made;
    }();
    return method;
}

unsigned problemFor(int verifyError)
{
    switch (verifyError) {
    case X509_V_OK:
        return 0;
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return FtpCertificate::Expired;
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return FtpCertificate::NotYetValid;
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        return FtpCertificate::SelfSigned | FtpCertificate::Untrusted;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return FtpCertificate::NameMismatch;
    default:
        return FtpCertificate::Untrusted;
    }
}

bool isAddress(const std::string &host)
{
    unsigned char buffer[sizeof(in6_addr)];
    return ::inet_pton(AF_INET, host.c_str(), buffer) == 1 || ::inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

constexpr const char *damagedRecord = "A TLS record from the server was damaged.";

} // namespace

std::unique_ptr<TlsStream> TlsStream::handshake(
    TcpSocket socket, TlsContext &context, const std::string &host, bool resume, const Deadline &deadline)
{
    std::unique_ptr<TlsStream> stream = start(std::move(socket), context, host, resume);
    stream->finishHandshake(deadline);
    return stream;
}

std::unique_ptr<TlsStream> TlsStream::start(TcpSocket socket, TlsContext &context, const std::string &host, bool resume)
{
    SSL *ssl = SSL_new(context.handle());
    if (ssl == nullptr)
        throw tlsError("Cannot set up TLS.");
    std::unique_ptr<TlsStream> stream(new TlsStream(std::move(socket), ssl));
    BIO *bio = BIO_new(noSignalSocketMethod());
    if (bio == nullptr)
        throw tlsError("Cannot set up TLS.");
    BIO_set_fd(bio, stream->m_socket.fd(), BIO_NOCLOSE);
    // TLS sends whole records itself; Nagle would only hold back the short ones (a handshake
    // flight, the closing alert after an upload) until the peer's delayed acknowledgement.
    const int noDelay = 1;
    ::setsockopt(stream->m_socket.fd(), IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    SSL_set_bio(ssl, bio, bio);
    SSL_set_app_data(ssl, stream.get());
    // Every problem is noted and the handshake goes on, so the user sees all of them at once;
    // nothing is sent over a connection whose certificate was refused.
    SSL_set_verify(ssl, SSL_VERIFY_PEER, &TlsStream::noteProblem);
    if (isAddress(host)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.c_str());
    } else {
        SSL_set_tlsext_host_name(ssl, host.c_str());
        SSL_set1_host(ssl, host.c_str());
    }
    if (resume && context.session() != nullptr)
        SSL_set_session(ssl, context.session());
    // A fresh connection takes the first flight at once, so this never waits; a failure is
    // thrown here as it would be while finishing.
    stream->turnHandshake(Deadline(std::chrono::milliseconds(0)), false);
    return stream;
}

TlsStream::~TlsStream()
{
    SSL_free(m_ssl);
}

int TlsStream::noteProblem(int preverifyOk, X509_STORE_CTX *store)
{
    if (preverifyOk == 1)
        return 1;
    auto *ssl = static_cast<SSL *>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto *self = static_cast<TlsStream *>(SSL_get_app_data(ssl));
    self->m_problems |= problemFor(X509_STORE_CTX_get_error(store));
    return 1;
}

void TlsStream::turnHandshake(const Deadline &deadline, bool wait)
{
    ERR_clear_error();
    for (;;) {
        errno = 0;
        const int result = SSL_connect(m_ssl);
        if (result == 1)
            return;
        const int error = SSL_get_error(m_ssl, result);
        if (!wait && (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE))
            return;
        switch (waitAfter(result, deadline, "The TLS handshake with the server failed.")) {
        case Wait::Done:
            throw tlsError("The server ended the connection during the TLS handshake.");
        case Wait::Expired:
            throw FtpTimeoutError(FtpFault::ReplyTimeout, deadline.limit());
        case Wait::Again:
            break;
        }
    }
}

void TlsStream::finishHandshake(const Deadline &deadline)
{
    if (SSL_is_init_finished(m_ssl) == 0)
        turnHandshake(deadline, true);
}

TlsStream::Wait TlsStream::waitAfter(int result, const Deadline &deadline, const char *what, UploadWatch *watch)
{
    const int error = SSL_get_error(m_ssl, result);
    switch (error) {
    case SSL_ERROR_WANT_READ:
        if (watch != nullptr)
            return watch->wait([this](const Deadline &slice) { return m_socket.waitReadable(slice); })
                    == UploadWatch::WaitEnd::Idle
                ? Wait::Expired
                : Wait::Again;
        return m_socket.waitReadable(deadline) ? Wait::Again : Wait::Expired;
    case SSL_ERROR_WANT_WRITE:
        if (watch != nullptr)
            return watch->wait([this](const Deadline &slice) { return m_socket.waitWritable(slice); })
                    == UploadWatch::WaitEnd::Idle
                ? Wait::Expired
                : Wait::Again;
        return m_socket.waitWritable(deadline) ? Wait::Again : Wait::Expired;
    case SSL_ERROR_ZERO_RETURN:
        m_closedCleanly = true;
        return Wait::Done;
    case SSL_ERROR_SYSCALL:
        if (ERR_peek_error() == 0) {
            if (errno == 0 || result == 0)
                return Wait::Done; // the connection ended without a TLS close
            if (errno != EAGAIN && errno != EINTR)
                throw SocketError::fromErrno(errno);
            return Wait::Again;
        }
        throw tlsError(what);
    default:
        if (ERR_GET_REASON(ERR_peek_error()) == SSL_R_UNEXPECTED_EOF_WHILE_READING) {
            ERR_clear_error();
            return Wait::Done; // the connection ended without a TLS close
        }
        throw tlsError(what);
    }
}

void TlsStream::close()
{
    m_socket.close();
}

std::optional<std::size_t> TlsStream::receiveSome(char *buffer, std::size_t capacity, const Deadline &deadline)
{
    if (m_ended)
        return 0;
    ERR_clear_error();
    for (;;) {
        m_socket.checkInterrupted();
        if (deadline.expired())
            return std::nullopt;
        std::size_t received = 0;
        errno = 0;
        const int result = SSL_read_ex(m_ssl, buffer, capacity, &received);
        if (result == 1)
            return received + takeArrived(buffer + received, capacity - received, deadline);
        switch (waitAfter(result, deadline, damagedRecord)) {
        case Wait::Done:
            m_ended = true;
            return 0;
        case Wait::Expired:
            return std::nullopt;
        case Wait::Again:
            break;
        }
    }
}

// One read hands over a single record of at most 16 KiB; taking every record that has already
// arrived lets a fast download reach the file in large writes. Nothing here waits.
std::size_t TlsStream::takeArrived(char *buffer, std::size_t capacity, const Deadline &deadline)
{
    std::size_t taken = 0;
    while (taken < capacity) {
        std::size_t received = 0;
        errno = 0;
        const int result = SSL_read_ex(m_ssl, buffer + taken, capacity - taken, &received);
        if (result == 1) {
            taken += received;
            continue;
        }
        const int error = SSL_get_error(m_ssl, result);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE)
            break;
        // The end is remembered rather than met again: after an unexpected end OpenSSL would
        // report the next read as a different fault.
        if (waitAfter(result, deadline, damagedRecord) == Wait::Done)
            m_ended = true;
        break;
    }
    return taken;
}

bool TlsStream::sendAll(const char *data, std::size_t size, std::chrono::milliseconds idleLimit, UploadWatch *watch)
{
    ERR_clear_error();
    while (size > 0) {
        m_socket.checkInterrupted();
        std::size_t sent = 0;
        errno = 0;
        const int result = SSL_write_ex(m_ssl, data, size, &sent);
        if (result == 1) {
            data += sent;
            size -= sent;
            continue;
        }
        switch (waitAfter(result, Deadline(idleLimit), "Sending over TLS failed.", watch)) {
        case Wait::Done:
            throw SocketError::fromErrno(EPIPE);
        case Wait::Expired:
            return false;
        case Wait::Again:
            break;
        }
    }
    return true;
}

std::uint64_t TlsStream::bytesSent() const
{
    return BIO_number_written(SSL_get_wbio(m_ssl));
}

bool TlsStream::hasBuffered() const
{
    return SSL_pending(m_ssl) > 0;
}

bool TlsStream::waitReadable(const Deadline &deadline)
{
    return hasBuffered() || m_socket.waitReadable(deadline);
}

bool TlsStream::shutdown(const Deadline &deadline, UploadWatch *watch)
{
    ERR_clear_error();
    // Ours is sent once SSL_shutdown stops answering 0; what the peer still sends (late session
    // tickets included) is then read until its own close arrives or the connection ends.
    bool sent = false;
    char discard[4096];
    for (;;) {
        errno = 0;
        std::size_t received = 0;
        const int result = sent ? SSL_read_ex(m_ssl, discard, sizeof discard, &received) : SSL_shutdown(m_ssl);
        if (!sent && result == 1)
            return true;
        if (result == 1 || (!sent && result == 0)) {
            sent = true;
            continue;
        }
        switch (waitAfter(result, deadline, "The TLS close failed.", watch)) {
        case Wait::Done:
            return true;
        case Wait::Expired:
            return false;
        case Wait::Again:
            break;
        }
    }
}

X509 *TlsStream::peerCertificate() const
{
    return SSL_get0_peer_certificate(m_ssl);
}
