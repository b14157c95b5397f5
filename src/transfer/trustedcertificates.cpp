#include "transfer/trustedcertificates.h"

#include "transfer/certificatetext.h"
#include "transfer/servercertificate.h"

#include <QByteArray>

namespace {

const QString kFingerprintKey = QStringLiteral("fingerprint");
const QString kCertificateKey = QStringLiteral("certificate");

QByteArray derOf(const ServerCertificate &certificate)
{
    return QByteArray(certificate.der.data(), static_cast<qsizetype>(certificate.der.size()));
}

} // namespace

QString TrustedCertificates::key(const QString &host, quint16 port)
{
    return CertificateText::serverName(host, port).toLower();
}

QString TrustedCertificates::key(const ServerCertificate &certificate)
{
    return CertificateText::serverName(certificate).toLower();
}

void TrustedCertificates::load(const QString &path)
{
    m_file.load(path);
}

void TrustedCertificates::write(const QString &path)
{
    m_file.write(path);
}

QString TrustedCertificates::trustedFingerprint(const QString &host, quint16 port) const
{
    return m_file.section(key(host, port)).value(kFingerprintKey);
}

QString TrustedCertificates::trustedFingerprint(const ServerCertificate &certificate) const
{
    return m_file.section(key(certificate)).value(kFingerprintKey);
}

TrustedCertificates::Verdict TrustedCertificates::verdict(const ServerCertificate &certificate) const
{
    const QString name = key(certificate);
    if (!m_file.contains(name))
        return Verdict::Unknown;
    const SectionFile::Section section = m_file.section(name);
    // The whole certificate must match, not only its fingerprint: what was trusted is this
    // certificate.
    const QByteArray stored = QByteArray::fromBase64(section.value(kCertificateKey).toLatin1());
    const bool same = section.value(kFingerprintKey) == QString::fromStdString(certificate.fingerprint)
        && stored == derOf(certificate);
    return same ? Verdict::Trusted : Verdict::Changed;
}

void TrustedCertificates::trust(const ServerCertificate &certificate)
{
    m_file.setSection(key(certificate),
                      {{kFingerprintKey, QString::fromStdString(certificate.fingerprint)},
                       {kCertificateKey, QString::fromLatin1(derOf(certificate).toBase64())}});
}
