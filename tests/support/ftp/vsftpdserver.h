#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>

// Runs Debian's vsftpd with FTPS required (ssl_enable, require_ssl_reuse as by default, so a
// data connection that does not resume the control connection's TLS session is refused) on a
// free loopback port, serving a fresh temporary folder to anonymous users who may upload into
// "up". vsftpd needs root; available() says whether it can run here. Up once the constructor
// returns; stopped and its folder removed by the destructor.
class VsftpdServer
{
public:
    static bool available();

    // certificateFile holds the key and the certificate. On ::1 when ipv6 is set.
    // Throws std::runtime_error when the server cannot be started.
    VsftpdServer(const std::string &certificateFile, bool ipv6 = false);
    ~VsftpdServer();
    VsftpdServer(const VsftpdServer &) = delete;
    VsftpdServer &operator=(const VsftpdServer &) = delete;

    std::uint16_t port() const { return m_port; }
    const std::string &root() const { return m_root; }
    std::string uploadFolder() const { return m_root + "/up"; }
    std::string user() const { return "anonymous"; }
    std::string password() const { return "qzweb@example.jp"; }

    // True when the machine has an IPv6 loopback address to listen on.
    static bool hasIpv6Loopback();

private:
    void stop();

    std::string m_folder;
    std::string m_root;
    pid_t m_pid = -1;
    std::uint16_t m_port = 0;
};
