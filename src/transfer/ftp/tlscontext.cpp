#include "transfer/ftp/tlscontext.h"

#include "transfer/ftp/ftpsettings.h"
#include "transfer/ftp/tlserror.h"

#include <openssl/ssl.h>

TlsContext::TlsContext(const FtpSettings &settings) : m_context(SSL_CTX_new(TLS_client_method()))
{
    if (m_context == nullptr)
        throw tlsError("Cannot set up TLS.");
    SSL_CTX_set_min_proto_version(m_context, TLS1_2_VERSION);
    // A renegotiation mid-transfer only serves an attacker; the connection refuses it.
    SSL_CTX_set_options(m_context, SSL_OP_NO_RENEGOTIATION);
    SSL_CTX_set_mode(m_context, SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // Socket reads of two records at once: half the system calls of one read per record,
    // and a buffer small enough to stay in the cache (a larger one made local downloads slower).
    SSL_CTX_set_read_ahead(m_context, 1);
    SSL_CTX_set_default_read_buffer_len(m_context, 2 * (16 * 1024 + 256));
    const int loaded = settings.trustedCaFile.empty()
        ? SSL_CTX_set_default_verify_paths(m_context)
        : SSL_CTX_load_verify_locations(m_context, settings.trustedCaFile.c_str(), nullptr);
    if (loaded != 1) {
        const FtpError error = tlsError("Cannot load the trusted certificates.");
        SSL_CTX_free(m_context);
        throw error;
    }
    SSL_CTX_set_app_data(m_context, this);
    SSL_CTX_set_session_cache_mode(m_context, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(m_context, &TlsContext::keepNewSession);
}

TlsContext::~TlsContext()
{
    SSL_SESSION_free(m_session);
    SSL_CTX_free(m_context);
}

int TlsContext::keepNewSession(SSL *ssl, SSL_SESSION *session)
{
    auto *self = static_cast<TlsContext *>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
    SSL_SESSION_free(self->m_session);
    self->m_session = session;
    return 1; // the context keeps the reference OpenSSL handed over
}
