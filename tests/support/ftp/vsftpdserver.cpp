#include "support/ftp/vsftpdserver.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr const char *program = "/usr/sbin/vsftpd";
constexpr auto startLimit = std::chrono::seconds(10);
constexpr auto retryPause = std::chrono::milliseconds(20);

// Binds to port 0 on the loopback address and returns the port the system chose; the socket
// is closed again, so the port is free for the server a moment later.
std::uint16_t freePort(bool ipv6)
{
    const int fd = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_storage storage{};
    socklen_t length = 0;
    if (ipv6) {
        auto *address = reinterpret_cast<sockaddr_in6 *>(&storage);
        address->sin6_family = AF_INET6;
        address->sin6_addr = in6addr_loopback;
        length = sizeof *address;
    } else {
        auto *address = reinterpret_cast<sockaddr_in *>(&storage);
        address->sin_family = AF_INET;
        address->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof *address;
    }
    std::uint16_t port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&storage), length) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&storage), &length) == 0)
        port = ntohs(ipv6 ? reinterpret_cast<sockaddr_in6 *>(&storage)->sin6_port
                          : reinterpret_cast<sockaddr_in *>(&storage)->sin_port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

bool greets(std::uint16_t port, bool ipv6)
{
    const int fd = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_storage storage{};
    socklen_t length = 0;
    if (ipv6) {
        auto *address = reinterpret_cast<sockaddr_in6 *>(&storage);
        address->sin6_family = AF_INET6;
        address->sin6_addr = in6addr_loopback;
        address->sin6_port = htons(port);
        length = sizeof *address;
    } else {
        auto *address = reinterpret_cast<sockaddr_in *>(&storage);
        address->sin_family = AF_INET;
        address->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address->sin_port = htons(port);
        length = sizeof *address;
    }
    bool greeted = false;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&storage), length) == 0) {
        char buffer[4] = {};
        greeted = ::recv(fd, buffer, 3, MSG_WAITALL) == 3 && std::string(buffer) == "220";
    }
    ::close(fd);
    return greeted;
}

} // namespace

bool VsftpdServer::available()
{
    return ::geteuid() == 0 && ::access(program, X_OK) == 0;
}

bool VsftpdServer::hasIpv6Loopback()
{
    return freePort(true) != 0;
}

void VsftpdServer::makeFolder()
{
    std::string pattern = (fs::temp_directory_path() / "qzweb-vsftpd-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    m_folder = pattern;
    m_root = m_folder + "/serve";
    fs::create_directories(m_root);
    fs::create_directories("/var/run/vsftpd/empty");
    fs::permissions(m_folder, fs::perms(0755));
    fs::permissions(m_root, fs::perms(0755));
}

VsftpdServer::VsftpdServer(const std::string &certificateFile, bool ipv6, std::size_t uploadBytesPerSecond)
{
    makeFolder();
    // vsftpd refuses an anonymous root the ftp user could write to; uploads go one level down.
    fs::create_directories(uploadFolder());
    if (std::system(("chown ftp '" + uploadFolder() + "'").c_str()) != 0) {
        stop();
        throw std::runtime_error("cannot give the upload folder to the ftp user");
    }
    std::ostringstream settings;
    settings << "anonymous_enable=YES\nno_anon_password=YES\nanon_root=" << m_root << "\n"
             << "local_enable=NO\nwrite_enable=YES\nanon_upload_enable=YES\n"
             << "anon_other_write_enable=YES\nanon_mkdir_write_enable=YES\nanon_umask=022\n"
             << "ssl_enable=YES\nallow_anon_ssl=YES\nforce_anon_logins_ssl=YES\n"
             << "force_anon_data_ssl=YES\nrequire_ssl_reuse=YES\n"
             << "anon_max_rate=" << uploadBytesPerSecond << "\n"
             << "rsa_cert_file=" << certificateFile << "\nrsa_private_key_file=" << certificateFile << "\n";
    start(settings.str(), ipv6);
}

VsftpdServer::VsftpdServer(const LocalUser &login) : m_localUser(true)
{
    makeFolder();
    if (std::system(("chown daemon '" + m_root + "'").c_str()) != 0) {
        stop();
        throw std::runtime_error("cannot give the served folder to the daemon user");
    }
    // PAM takes service names in lower case; the process and a count keep them apart.
    static std::atomic<int> servers{0};
    const std::string service = "qzweb-vsftpd-" + std::to_string(::getpid()) + "-" + std::to_string(++servers);
    m_pamService = "/etc/pam.d/" + service;
    std::ofstream(m_pamService) << "auth required pam_permit.so\naccount required pam_permit.so\n"
                                << "session required pam_permit.so\n";
    std::ostringstream settings;
    settings << "anonymous_enable=NO\nlocal_enable=YES\nwrite_enable=YES\nchmod_enable=YES\n"
             << "local_umask=" << login.umask << "\nlocal_root=" << m_root << "\n"
             << "pam_service_name=" << service << "\n"
             << "max_per_ip=" << login.connectionsPerAddress << "\n"
             << "local_max_rate=" << login.bytesPerSecond << "\n";
    start(settings.str(), false);
}

void VsftpdServer::start(const std::string &settings, bool ipv6)
{
    m_port = freePort(ipv6);
    const std::string config = m_folder + "/vsftpd.conf";
    std::ofstream(config) << (ipv6 ? "listen=NO\nlisten_ipv6=YES\nlisten_address6=::1\n"
                                   : "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\n")
                          << "listen_port=" << m_port << "\nbackground=NO\n"
                          << settings << "pasv_enable=YES\nport_enable=YES\nconnect_from_port_20=NO\n"
                          << "secure_chroot_dir=/var/run/vsftpd/empty\nseccomp_sandbox=NO\n"
                          << "isolate=NO\nisolate_network=NO\n"
                          << "xferlog_enable=YES\nxferlog_std_format=NO\nlog_ftp_protocol=YES\n"
                          << "vsftpd_log_file=" << m_folder << "/vsftpd.log\n";
    m_pid = ::fork();
    if (m_pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::setpgid(0, 0);
        ::execl(program, program, config.c_str(), static_cast<char *>(nullptr));
        ::_exit(127);
    }
    const auto giveUp = std::chrono::steady_clock::now() + startLimit;
    // Asked once it greeted: a server that takes one connection from an address may not have
    // let go of the last one yet.
    bool up = false;
    while (!(up = greets(m_port, ipv6)) && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(retryPause);
    if (!up) {
        stop();
        throw std::runtime_error("vsftpd did not start");
    }
}

std::vector<std::string> VsftpdServer::commands() const
{
    // Each as: … FTP command: Client "127.0.0.1", "STOR name"
    const std::string mark = "FTP command: Client \"";
    std::vector<std::string> verbs;
    std::ifstream log(m_folder + "/vsftpd.log");
    for (std::string line; std::getline(log, line);) {
        const std::size_t found = line.find(mark);
        const std::size_t quote = found == std::string::npos ? found : line.find(", \"", found + mark.size());
        if (quote == std::string::npos)
            continue;
        std::string verb = line.substr(quote + 3, line.find_first_of(" \"", quote + 3) - quote - 3);
        std::transform(verb.begin(), verb.end(), verb.begin(), [](unsigned char c) { return std::toupper(c); });
        verbs.push_back(verb);
    }
    return verbs;
}

VsftpdServer::~VsftpdServer()
{
    stop();
}

void VsftpdServer::stop()
{
    if (m_pid > 0) {
        // The group: vsftpd serves each connection from a process of its own.
        ::kill(-m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
    if (!m_pamService.empty())
        fs::remove(m_pamService, ignored);
}
