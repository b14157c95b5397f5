#include "transfer/ftp/certificatereader.h"

#include <arpa/inet.h>
#include <ctime>
#include <memory>
#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace {

std::string oneLine(const X509_NAME *name)
{
    // "CN=example.jp, O=Example": the most specific part first, UTF-8 kept as it is.
    constexpr unsigned long flags =
        (XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB & ~XN_FLAG_SEP_MASK) | XN_FLAG_SEP_CPLUS_SPC;
    const std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), &BIO_free);
    if (!bio || X509_NAME_print_ex(bio.get(), name, 0, flags) < 0)
        return {};
    char *data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<std::size_t>(size));
}

std::int64_t secondsSinceEpoch(const ASN1_TIME *time)
{
    std::tm parts{};
    if (time == nullptr || ASN1_TIME_to_tm(time, &parts) != 1)
        return 0;
    return static_cast<std::int64_t>(::timegm(&parts));
}

std::string text(const ASN1_STRING *string)
{
    return std::string(reinterpret_cast<const char *>(ASN1_STRING_get0_data(string)),
                       static_cast<std::size_t>(ASN1_STRING_length(string)));
}

std::string addressText(const ASN1_OCTET_STRING *address)
{
    char buffer[INET6_ADDRSTRLEN] = {};
    const int length = ASN1_STRING_length(address);
    const int family = length == 4 ? AF_INET : length == 16 ? AF_INET6 : -1;
    if (family < 0 || ::inet_ntop(family, ASN1_STRING_get0_data(address), buffer, sizeof buffer) == nullptr)
        return {};
    return buffer;
}

std::vector<std::string> namesOf(X509 *certificate)
{
    std::vector<std::string> names;
    auto *alternatives =
        static_cast<GENERAL_NAMES *>(X509_get_ext_d2i(certificate, NID_subject_alt_name, nullptr, nullptr));
    for (int index = 0; index < sk_GENERAL_NAME_num(alternatives); ++index) {
        const GENERAL_NAME *name = sk_GENERAL_NAME_value(alternatives, index);
        if (name->type == GEN_DNS)
            names.push_back(text(name->d.dNSName));
        else if (name->type == GEN_IPADD)
            names.push_back(addressText(name->d.iPAddress));
    }
    GENERAL_NAMES_free(alternatives);
    if (!names.empty())
        return names;
    const X509_NAME *subject = X509_get_subject_name(certificate);
    for (int index = X509_NAME_get_index_by_NID(subject, NID_commonName, -1); index >= 0;
         index = X509_NAME_get_index_by_NID(subject, NID_commonName, index)) {
        unsigned char *utf8 = nullptr;
        const int length = ASN1_STRING_to_UTF8(&utf8, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, index)));
        if (length >= 0)
            names.emplace_back(reinterpret_cast<const char *>(utf8), static_cast<std::size_t>(length));
        OPENSSL_free(utf8);
    }
    return names;
}

} // namespace

FtpCertificate
CertificateReader::describe(X509 *certificate, const std::string &host, std::uint16_t port, unsigned problems)
{
    FtpCertificate described;
    described.host = host;
    described.port = port;
    described.problems = problems;
    if (certificate == nullptr)
        return described;
    described.names = namesOf(certificate);
    described.subject = oneLine(X509_get_subject_name(certificate));
    described.issuer = oneLine(X509_get_issuer_name(certificate));
    described.notBefore = secondsSinceEpoch(X509_get0_notBefore(certificate));
    described.notAfter = secondsSinceEpoch(X509_get0_notAfter(certificate));
    described.fingerprint = fingerprint(certificate);
    unsigned char *der = nullptr;
    const int length = i2d_X509(certificate, &der);
    if (length > 0)
        described.der.assign(reinterpret_cast<const char *>(der), static_cast<std::size_t>(length));
    OPENSSL_free(der);
    return described;
}

std::string CertificateReader::fingerprint(X509 *certificate)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (X509_digest(certificate, EVP_sha256(), digest, &length) != 1)
        return {};
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned int index = 0; index < length; ++index) {
        if (index > 0)
            text += ':';
        text += hex[digest[index] >> 4];
        text += hex[digest[index] & 0xF];
    }
    return text;
}
