#pragma once

#include <QString>
#include <QStringList>

struct ServerCertificate;

// The Japanese texts of the certificate questions: what a beginner can judge a server's
// certificate by (for which names it was made, by whom, how long it is valid, its SHA-256
// fingerprint) and why the check refused it, in plain words. Dates show in local time.
namespace CertificateText {

// One sentence per reason the check refused the certificate, most telling first.
QStringList problems(const ServerCertificate &certificate);
// The certificate's particulars, one "項目: 値" line each.
QString particulars(const ServerCertificate &certificate);

// An SSH host key (ServerCertificate::keyType set) has no names, signer or dates: its texts
// show its type and SHA256 fingerprint, and speak of a key.
QString hostKeyParticulars(const ServerCertificate &key);

// The question for a certificate that failed the check and that nothing trusts yet.
QString unknownQuestion(const ServerCertificate &certificate);
// The warning for a certificate other than the one trusted for its host and port.
QString changedWarning(const ServerCertificate &certificate, const QString &trustedFingerprint);

// The notice for a certificate that passed the check but is not the one the user chose to trust
// always for its host and port.
QString replacedNotice(const ServerCertificate &certificate, const QString &trustedFingerprint);

// "host:port" as the user knows the server; an IPv6 address in brackets.
QString serverName(const QString &host, quint16 port);
QString serverName(const ServerCertificate &certificate);

} // namespace CertificateText
