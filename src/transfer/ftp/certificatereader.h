#pragma once

#include "transfer/ftp/ftpcertificate.h"

#include <cstdint>
#include <string>

typedef struct x509_st X509;

// Reads from a server's certificate what the user can judge it by.
class CertificateReader
{
public:
    static FtpCertificate describe(X509 *certificate, const std::string &host, std::uint16_t port, unsigned problems);
    // SHA-256 of the DER form, "AB:CD:…".
    static std::string fingerprint(X509 *certificate);
};
