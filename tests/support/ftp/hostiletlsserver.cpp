#include "support/ftp/hostiletlsserver.h"

#include "support/ftp/testcertificates.h"

#include <arpa/inet.h>
#include <memory>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

constexpr int waitSeconds = 5;
constexpr int hugeChainCopies = 400; // a few hundred bytes each: well over 100 KB

int listenOnLoopback(std::uint16_t &port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), length) != 0 || ::listen(fd, 1) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    port = ntohs(address.sin_port);
    return fd;
}

// Accepts one connection within the wait limit, with reads and writes bounded the same way.
int acceptBounded(int listener)
{
    const timeval limit{waitSeconds, 0};
    ::setsockopt(listener, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) {
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    }
    return fd;
}

std::string readPlainLine(int fd)
{
    std::string line;
    char c = 0;
    while (::recv(fd, &c, 1, 0) == 1 && c != '\n')
        line += c;
    return line;
}

std::string readTlsLine(SSL *ssl)
{
    std::string line;
    char c = 0;
    while (SSL_read(ssl, &c, 1) == 1 && c != '\n')
        line += c;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

void sendTls(SSL *ssl, const std::string &text)
{
    SSL_write(ssl, text.data(), static_cast<int>(text.size()));
}

SSL_CTX *makeContext(HostileTlsServer::Trick trick)
{
    SSL_CTX *context = SSL_CTX_new(TLS_server_method());
    const std::string pem = TestCertificates::get().serverFile(TestCertificates::Kind::Trusted);
    SSL_CTX_use_certificate_chain_file(context, pem.c_str());
    SSL_CTX_use_PrivateKey_file(context, pem.c_str(), SSL_FILETYPE_PEM);
    SSL_CTX_set_session_id_context(context, reinterpret_cast<const unsigned char *>("qz"), 2);
    if (trick == HostileTlsServer::Trick::Renegotiate)
        SSL_CTX_set_max_proto_version(context, TLS1_2_VERSION); // TLS 1.3 has no renegotiation
    if (trick == HostileTlsServer::Trick::HugeChain) {
        FILE *file = std::fopen(TestCertificates::get().authorityFile().c_str(), "r");
        X509 *authority = PEM_read_X509(file, nullptr, nullptr, nullptr);
        std::fclose(file);
        for (int copy = 0; copy < hugeChainCopies; ++copy)
            SSL_CTX_add_extra_chain_cert(context, X509_dup(authority));
        X509_free(authority);
    }
    return context;
}

} // namespace

HostileTlsServer::HostileTlsServer(Trick trick) : m_trick(trick)
{
    m_listener = listenOnLoopback(m_port);
    m_thread = std::thread([this] { serve(); });
}

HostileTlsServer::~HostileTlsServer()
{
    ::shutdown(m_listener, SHUT_RDWR);
    m_thread.join();
    ::close(m_listener);
}

void HostileTlsServer::serve()
{
    const std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(makeContext(m_trick), &SSL_CTX_free);
    const int control = acceptBounded(m_listener);
    if (control < 0)
        return;
    ::send(control, "220 Hostile\r\n", 13, MSG_NOSIGNAL);
    readPlainLine(control); // AUTH TLS
    ::send(control, "234 Go ahead\r\n", 14, MSG_NOSIGNAL);
    SSL *ssl = SSL_new(context.get());
    SSL_set_fd(ssl, control);
    if (SSL_accept(ssl) == 1) {
        int dataListener = -1;
        for (std::string line = readTlsLine(ssl); !line.empty(); line = readTlsLine(ssl)) {
            const std::string word = line.substr(0, 4);
            if (word == "user") {
                sendTls(ssl, "230 Logged in\r\n");
            } else if (word == "type" && m_trick == Trick::Renegotiate) {
                SSL_renegotiate(ssl);
                SSL_do_handshake(ssl);
                sendTls(ssl, "200 Type set\r\n");
            } else if (word == "EPSV") {
                std::uint16_t port = 0;
                dataListener = listenOnLoopback(port);
                sendTls(ssl, "229 Entering Extended Passive Mode (|||" + std::to_string(port) + "|)\r\n");
            } else if (word == "retr" && (m_trick == Trick::ReplyAfterHello || m_trick == Trick::RefuseAfterHello)) {
                serveAfterHello(ssl, context.get(), dataListener);
            } else if (word == "retr") {
                sendTls(ssl, "150 Here it comes\r\n");
                const int data = acceptBounded(dataListener);
                SSL *dataSsl = SSL_new(context.get());
                SSL_set_fd(dataSsl, data);
                if (SSL_accept(dataSsl) == 1) {
                    const std::string bytes = cutDownloadBytes();
                    SSL_write(dataSsl, bytes.data(), static_cast<int>(bytes.size()));
                }
                SSL_free(dataSsl); // no SSL_shutdown: the TLS close never comes
                ::close(data);
                sendTls(ssl, "226 Transfer complete\r\n");
            } else if (word == "syst") {
                sendTls(ssl, "215 UNIX Type: L8\r\n");
            } else if (word == "Quit") {
                break;
            } else {
                sendTls(ssl, "200 OK\r\n");
            }
        }
        if (dataListener >= 0)
            ::close(dataListener);
    }
    SSL_free(ssl);
    ::close(control);
    ERR_clear_error();
}

void HostileTlsServer::serveAfterHello(SSL *control, SSL_CTX *context, int dataListener) const
{
    const int data = acceptBounded(dataListener);
    char first = 0;
    const bool hello = data >= 0 && ::recv(data, &first, 1, MSG_PEEK) == 1; // bounded by the wait limit
    if (!hello || m_trick == Trick::RefuseAfterHello) {
        sendTls(control, "550 Not now\r\n");
    } else {
        sendTls(control, "150 Here it comes\r\n");
        SSL *dataSsl = SSL_new(context);
        SSL_set_fd(dataSsl, data);
        if (SSL_accept(dataSsl) == 1) {
            const std::string page = servedPage();
            SSL_write(dataSsl, page.data(), static_cast<int>(page.size()));
            if (SSL_shutdown(dataSsl) == 0)
                SSL_shutdown(dataSsl); // the client's close, so that closing resets nothing
        }
        SSL_free(dataSsl);
        sendTls(control, "226 Transfer complete\r\n");
    }
    if (data >= 0)
        ::close(data);
}
