#include "support/ftp/testcertificates.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace {

void run(const std::string &command)
{
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
        throw std::runtime_error("openssl failed: " + command);
}

// base.pem: base.key followed by base.crt.
void joinKeyAndCertificate(const std::string &base)
{
    std::ofstream joined(base + ".pem", std::ios::binary);
    joined << std::ifstream(base + ".key", std::ios::binary).rdbuf()
           << std::ifstream(base + ".crt", std::ios::binary).rdbuf();
}

const char *fileName(TestCertificates::Kind kind)
{
    switch (kind) {
    case TestCertificates::Kind::Trusted:
        return "trusted.pem";
    case TestCertificates::Kind::SelfSigned:
        return "selfsigned.pem";
    case TestCertificates::Kind::Expired:
        return "expired.pem";
    case TestCertificates::Kind::OtherName:
        return "othername.pem";
    }
    return "";
}

} // namespace

const TestCertificates &TestCertificates::get()
{
    static const TestCertificates certificates;
    return certificates;
}

TestCertificates::~TestCertificates()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

std::string TestCertificates::serverFile(Kind kind) const
{
    return m_folder + "/" + fileName(kind);
}

TestCertificates::TestCertificates()
{
    m_folder = (std::filesystem::temp_directory_path() / ("qzweb-certs-" + std::to_string(::getpid()))).string();
    std::filesystem::remove_all(m_folder);
    std::filesystem::create_directories(m_folder / std::filesystem::path("issued"));
    const std::string dir = "'" + m_folder + "'";
    const std::string key = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    m_authority = m_folder + "/ca.pem";
    run("openssl req -x509 " + key + " -keyout " + dir + "/ca.key -out " + dir
        + "/ca.pem -days 30 -subj '/CN=QZWeb Test Authority'");

    // "openssl ca" can date a certificate in the past, which "x509 -req" cannot.
    std::ofstream(m_folder + "/ca.cnf") << "[ca]\ndefault_ca = test\n[test]\ndir = " << m_folder
                                        << "\ndatabase = $dir/index.txt\nnew_certs_dir = $dir/issued\n"
                                        << "certificate = $dir/ca.pem\nprivate_key = $dir/ca.key\n"
                                        << "serial = $dir/serial\ndefault_md = sha256\npolicy = any\n"
                                        << "copy_extensions = copy\nunique_subject = no\n"
                                        << "[any]\ncommonName = supplied\n";
    std::ofstream(m_folder + "/index.txt");
    std::ofstream(m_folder + "/serial") << "1000\n";

    const auto issue = [&](const std::string &name, const std::string &names, const std::string &dates) {
        const std::string base = dir + "/" + name;
        run("openssl req " + key + " -keyout " + base + ".key -out " + base
            + ".csr -subj '/CN=" + names.substr(4, names.find(',') - 4) + "' -addext 'subjectAltName=" + names + "'");
        run("openssl ca -batch -notext -config " + dir + "/ca.cnf " + dates + " -in " + base + ".csr -out " + base
            + ".crt");
        joinKeyAndCertificate(m_folder + "/" + name);
    };
    issue("trusted", "DNS:localhost,IP:127.0.0.1,IP:::1", "-days 30");
    issue("expired", "DNS:localhost,IP:127.0.0.1,IP:::1", "-startdate 20200101000000Z -enddate 20210101000000Z");
    issue("othername", "DNS:www.example.jp", "-days 30");
    run("openssl req -x509 " + key + " -keyout " + dir + "/selfsigned.key -out " + dir
        + "/selfsigned.crt -days 30 -subj '/CN=localhost' -addext 'subjectAltName=DNS:localhost,IP:127.0.0.1'");
    joinKeyAndCertificate(m_folder + "/selfsigned");
}
