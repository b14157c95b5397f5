#pragma once

#include "transfer/ftp/ftperror.h"
#include "transfer/remoteerrors.h"
#include "transfer/servercertificate.h"

// The FTP client reports the certificate in the transfer window's own terms.
using FtpCertificate = ServerCertificate;

// connect() met a certificate that fails the check and whose fingerprint is not among
// FtpSettings::acceptedCertificates. The connection is closed; the caller may ask the user
// and connect again with the fingerprint accepted.
class FtpCertificateError : public FtpError, public RemoteUntrusted
{
public:
    explicit FtpCertificateError(FtpCertificate certificate)
        : FtpError("The server's certificate failed the check.", FtpFault::Certificate, certificate.host),
          m_certificate(std::move(certificate))
    {}

    const FtpCertificate &certificate() const override { return m_certificate; }

private:
    FtpCertificate m_certificate;
};
