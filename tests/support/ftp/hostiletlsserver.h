#pragma once

#include <cstdint>
#include <string>
#include <thread>

// An FTPS server that misbehaves on purpose, for the client's hostile cases: it serves one
// client on 127.0.0.1 from a thread of its own, with the test authority's certificate, and
// does the one wrong thing it was made for. Every wait inside is bounded.
class HostileTlsServer
{
public:
    enum class Trick {
        // Sends part of a download, then drops the data connection without the TLS close (and
        // still says "226").
        CutDownload,
        // Shows a certificate chain of far more than 100 KB.
        HugeChain,
        // Starts a TLS renegotiation after the login.
        Renegotiate,
        // Says "150" to a download only once the client's TLS hello is on the data
        // connection, then sends servedPage() and closes with the TLS close: a client that waits
        // for the reply before it starts the handshake waits in vain.
        ReplyAfterHello,
        // Takes the client's hello on the data connection, then refuses the download with "550"
        // and drops the connection.
        RefuseAfterHello,
    };

    explicit HostileTlsServer(Trick trick);
    ~HostileTlsServer();
    HostileTlsServer(const HostileTlsServer &) = delete;
    HostileTlsServer &operator=(const HostileTlsServer &) = delete;

    std::uint16_t port() const { return m_port; }
    // The bytes the cut download sends before dropping the connection.
    static std::string cutDownloadBytes() { return std::string(64 * 1024, 'd'); }
    static std::string servedPage() { return "<p>served whole</p>\n"; }

private:
    void serve();
    void serveAfterHello(struct ssl_st *control, struct ssl_ctx_st *context, int dataListener) const;

    Trick m_trick;
    int m_listener = -1;
    std::uint16_t m_port = 0;
    std::thread m_thread;
};
