#pragma once

#include <string>

// Certificates made for one test run with the openssl command in a temporary folder: a
// throwaway authority, and server certificates it signed (for localhost and 127.0.0.1, an
// expired one, one for another name) plus a self-signed one. Each is a PEM file holding the
// key and the certificate, as vsftpd's rsa_cert_file takes it. Made once per test program.
class TestCertificates
{
public:
    enum class Kind {
        Trusted,
        SelfSigned,
        Expired,
        OtherName,
    };

    // Throws std::runtime_error when openssl fails.
    static const TestCertificates &get();

    // The authority's certificate, for FtpSettings::trustedCaFile.
    const std::string &authorityFile() const { return m_authority; }
    std::string serverFile(Kind kind) const;

private:
    TestCertificates();
    ~TestCertificates();

    std::string m_folder;
    std::string m_authority;
};
