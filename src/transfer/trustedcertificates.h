#pragma once

#include "transfer/sectionfile.h"

#include <QString>

struct ServerCertificate;

// The server certificates the user chose to trust always although they failed the check
// (RODav-certificates.ini in the data folder): for each host and port, the exact certificate
// (its DER form) and its SHA-256 fingerprint. A later connection to the same host and port
// that shows the same certificate goes ahead unasked; a different one must never pass
// silently. Damage is SectionFile's rule. The SSH host keys the user chose to trust always are
// kept the same way in a file of their own (RODav-known-hosts.ini), the key's bytes in place of
// the certificate.
class TrustedCertificates
{
public:
    static inline const QString kFileName = QStringLiteral("RODav-certificates.ini");
    static inline const QString kKnownHostsFileName = QStringLiteral("RODav-known-hosts.ini");

    enum class Verdict {
        Trusted, // the very certificate the user chose to trust for this host and port
        Changed, // another certificate than the one trusted for this host and port
        Unknown, // nothing is trusted for this host and port
    };

    // Throws UserError when the file exists but cannot be read; nothing is trusted then.
    void load(const QString &path);
    // Atomically, readable by its owner only. Throws UserError on failure.
    void write(const QString &path);

    Verdict verdict(const ServerCertificate &certificate) const;
    // The fingerprint trusted for the host and port; empty when none is.
    QString trustedFingerprint(const QString &host, quint16 port) const;
    QString trustedFingerprint(const ServerCertificate &certificate) const;
    // From now on this certificate, and no other, is trusted for its host and port.
    void trust(const ServerCertificate &certificate);

    bool damaged() const { return m_file.damaged(); }

    // The key of a host and port: names compare without case; an IPv6 address in brackets.
    static QString key(const QString &host, quint16 port);
    static QString key(const ServerCertificate &certificate);

private:
    SectionFile m_file;
};
