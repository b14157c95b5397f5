#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What a beginner can judge a server's identity by, and why the check refused it: the
// certificate an FTPS server showed during the TLS handshake, or an SFTP server's host key. The transfer window's trust
// dialog and its store of trusted servers work on this alone, whichever protocol found it.
struct ServerCertificate
{
    // Reasons the check refused the certificate; several may hold at once.
    enum Problem : unsigned {
        Untrusted = 1u << 0,    // not signed by an authority the system (or trustedCaFile) trusts
        SelfSigned = 1u << 1,   // signed by itself
        Expired = 1u << 2,      // valid-to lies in the past
        NotYetValid = 1u << 3,  // valid-from lies in the future
        NameMismatch = 1u << 4, // made for other names than the host connected to
    };

    std::string host; // as connected to
    std::uint16_t port = 0;
    std::vector<std::string> names; // the subject alternative names, else the common name
    std::string subject;            // one line, e.g. "CN=example.jp, O=Example"
    std::string issuer;             // the same for the signer
    std::int64_t notBefore = 0;     // seconds since the epoch, UTC
    std::int64_t notAfter = 0;
    std::string fingerprint; // SHA-256 of the DER form, upper-case hex pairs joined by ':'
    std::string der;         // the certificate itself, for storing it as trusted
    unsigned problems = 0;   // Problem bits
    // An SSH server's host key instead of a certificate: its type ("ssh-ed25519"); the
    // fingerprint is then OpenSSH's "SHA256:…" and der the key's own bytes. Empty otherwise.
    std::string keyType;
};
