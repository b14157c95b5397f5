#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

// Runs Debian's vsftpd on a free loopback port in one of two set-ups. With FTPS required
// (ssl_enable, require_ssl_reuse as by default, so a data connection that does not resume the
// control connection's TLS session is refused) it serves a fresh temporary folder to anonymous
// users who may upload into "up". As a web host's plain FTP it serves the folder to a local
// user, with SITE CHMOD and the umask given: the system account "daemon", let in with any
// password by a PAM service of the server's own (in /etc/pam.d while it runs; PAM reads no
// other place). vsftpd needs root; available() says whether it can run here. Up once the
// constructor returns; stopped and its folder (and PAM service) removed by the destructor.
class VsftpdServer
{
public:
    static bool available();

    // certificateFile holds the key and the certificate. On ::1 when ipv6 is set. With
    // uploadBytesPerSecond, uploads are taken no faster, as over a slow link.
    // Throws std::runtime_error when the server cannot be started.
    VsftpdServer(const std::string &certificateFile, bool ipv6 = false, std::size_t uploadBytesPerSecond = 0);

    // The plain FTP of a web host: the local user's uploads get the mode 0666 minus umask
    // ("077" by vsftpd's default), every file of the root is theirs to replace.
    struct LocalUser
    {
        std::string umask = "077";
        // How many connections the server takes from one address at a time; 0: any number.
        int connectionsPerAddress = 0;
        // Each connection's transfers no faster than this, as over a slow link; 0: as fast as they come.
        std::size_t bytesPerSecond = 0;
    };
    explicit VsftpdServer(const LocalUser &login);
    ~VsftpdServer();
    VsftpdServer(const VsftpdServer &) = delete;
    VsftpdServer &operator=(const VsftpdServer &) = delete;

    std::uint16_t port() const { return m_port; }
    const std::string &root() const { return m_root; }
    std::string uploadFolder() const { return m_root + "/up"; }
    std::string user() const { return m_localUser ? "daemon" : "anonymous"; }
    std::string password() const { return "qzweb@example.jp"; }
    // The verbs of the commands the server took so far ("USER", "STAT", ...), in order.
    std::vector<std::string> commands() const;

    // True when the machine has an IPv6 loopback address to listen on.
    static bool hasIpv6Loopback();

private:
    void makeFolder();
    void start(const std::string &settings, bool ipv6);
    void stop();

    bool m_localUser = false;
    std::string m_pamService; // its file in /etc/pam.d, for the local user
    std::string m_folder;
    std::string m_root;
    pid_t m_pid = -1;
    std::uint16_t m_port = 0;
};
