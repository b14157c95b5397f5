#pragma once

#include <string>

struct FtpSettings;
typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_session_st SSL_SESSION;

// The TLS set-up of one FTPS connection: TLS 1.2 or newer, the certificates to trust (the
// system's, or trustedCaFile's), no renegotiation, and the newest session the server handed
// out, which every data connection resumes (servers refuse data connections that do not).
// With TLS 1.3 sessions arrive after the handshake, so they are taken whenever they come.
class TlsContext
{
public:
    // Throws FtpError (FtpFault::Tls) when the trusted certificates cannot be loaded.
    explicit TlsContext(const FtpSettings &settings);
    ~TlsContext();
    TlsContext(const TlsContext &) = delete;
    TlsContext &operator=(const TlsContext &) = delete;

    SSL_CTX *handle() const { return m_context; }
    // The session to resume, nullptr before the server gave one; owned by the context.
    SSL_SESSION *session() const { return m_session; }

private:
    static int keepNewSession(struct ssl_st *ssl, SSL_SESSION *session);

    SSL_CTX *m_context = nullptr;
    SSL_SESSION *m_session = nullptr;
};
