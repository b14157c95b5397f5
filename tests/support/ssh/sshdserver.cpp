#include "support/ssh/sshdserver.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr const char *program = "/usr/sbin/sshd";
constexpr auto startLimit = std::chrono::seconds(10);
constexpr auto retryPause = std::chrono::milliseconds(20);

sockaddr_in loopback(std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

std::uint16_t freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    std::uint16_t port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), length) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

bool greets(std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(port);
    bool greeted = false;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0) {
        char buffer[5] = {};
        greeted = ::recv(fd, buffer, 4, MSG_WAITALL) == 4 && std::string(buffer) == "SSH-";
    }
    ::close(fd);
    return greeted;
}

// The processes below pid, children before their own: sshd's sessions leave its process
// group (they start sessions of their own), so they are found by their parents.
std::vector<pid_t> descendants(pid_t pid)
{
    std::vector<pid_t> found;
    std::error_code ignored;
    for (const fs::directory_entry &entry : fs::directory_iterator("/proc", ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const std::size_t close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        pid_t parent = 0;
        rest >> state >> parent;
        if (parent == pid) {
            const pid_t child = static_cast<pid_t>(std::stoi(name));
            found.push_back(child);
            const std::vector<pid_t> below = descendants(child);
            found.insert(found.end(), below.begin(), below.end());
        }
    }
    return found;
}

void run(const std::string &command)
{
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("failed: " + command);
}

} // namespace

bool SshdServer::available()
{
    return ::geteuid() == 0 && ::access(program, X_OK) == 0 && ::access("/usr/bin/ssh-keygen", X_OK) == 0;
}

SshdServer::SshdServer(const Options &options)
{
    const fs::path parent = options.parentFolder.empty() ? fs::temp_directory_path() : fs::path(options.parentFolder);
    std::string pattern = (parent / "qzweb-sshd-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    m_folder = pattern;
    fs::permissions(m_folder, fs::perms(0755));
    try {
        // sshd's privilege separation: its user and its empty folder.
        if (::getpwnam("sshd") == nullptr)
            run("useradd --system --no-create-home --home-dir /run/sshd --shell /usr/sbin/nologin sshd");
        fs::create_directories("/run/sshd");
        fs::permissions("/run/sshd", fs::perms(0755));
        makeUser();
        std::ofstream(m_folder + "/authorized_keys") << [&] {
            std::string keys;
            for (const std::string &key : options.authorizedKeys)
                keys += key + "\n";
            return keys;
        }();
        makeHostKey();
        writeConfig(options);
        m_port = freePort();
        start();
    } catch (...) {
        stop();
        throw;
    }
}

SshdServer::~SshdServer()
{
    stop();
}

void SshdServer::makeUser()
{
    static std::atomic<int> users{0};
    m_user = "qzsftp" + std::to_string(::getpid() % 100000) + "x" + std::to_string(++users);
    m_home = m_folder + "/home";
    run("useradd --no-create-home --home-dir '" + m_home + "' --shell /bin/sh " + m_user);
    fs::create_directories(m_home);
    run("echo '" + m_user + ":" + m_password + "' | chpasswd");
    run("chown " + m_user + " '" + m_home + "'");
}

void SshdServer::makeHostKey()
{
    const std::string key = m_folder + "/host_ed25519";
    fs::remove(key);
    fs::remove(key + ".pub");
    run("ssh-keygen -q -t ed25519 -N '' -f '" + key + "'");
}

void SshdServer::writeConfig(const Options &options)
{
    m_config = m_folder + "/sshd_config";
    const auto yesNo = [](bool value) { return value ? "yes" : "no"; };
    std::string subsystem = "internal-sftp";
    if (options.logRequests) {
        // sftp-server runs as the user, through the user's shell, which opens the log for it.
        std::ofstream{requestLog()};
        fs::permissions(requestLog(), fs::perms(0666));
        subsystem = "/usr/lib/openssh/sftp-server -e -l DEBUG3 2>>" + requestLog();
    }
    std::ofstream(m_config) << "ListenAddress 127.0.0.1\n"
                            << "HostKey " << m_folder << "/host_ed25519\n"
                            << "PidFile " << m_folder << "/sshd.pid\n"
                            << "AuthorizedKeysFile " << m_folder << "/authorized_keys\n"
                            << "StrictModes no\nUsePAM yes\nPubkeyAuthentication yes\n"
                            << "PasswordAuthentication " << yesNo(options.passwords) << "\n"
                            << "KbdInteractiveAuthentication " << yesNo(options.keyboardInteractive) << "\n"
                            << "AllowUsers " << m_user << "\n"
                            << "MaxAuthTries 20\nLogLevel VERBOSE\n"
                            << (options.sftp ? "Subsystem sftp " + subsystem + "\n" : "");
}

void SshdServer::start()
{
    const std::string port = std::to_string(m_port);
    const std::string log = m_folder + "/sshd.log";
    m_pid = ::fork();
    if (m_pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::setpgid(0, 0);
        ::execl(program,
                program,
                "-D",
                "-e",
                "-f",
                m_config.c_str(),
                "-p",
                port.c_str(),
                "-E",
                log.c_str(),
                static_cast<char *>(nullptr));
        ::_exit(127);
    }
    const auto giveUp = std::chrono::steady_clock::now() + startLimit;
    while (!greets(m_port) && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(retryPause);
    if (!greets(m_port))
        throw std::runtime_error("sshd did not start; see " + log);
}

void SshdServer::kill()
{
    if (m_pid > 0) {
        for (const pid_t session : descendants(m_pid))
            ::kill(session, SIGKILL);
        ::kill(-m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
}

void SshdServer::restart(bool newHostKey)
{
    kill();
    if (newHostKey)
        makeHostKey();
    start();
}

void SshdServer::stop()
{
    kill();
    if (!m_user.empty()) {
        // A killed session may take a moment to go; the user can only be removed after it.
        for (int tries = 0; tries < 50 && std::system(("userdel " + m_user + " >/dev/null 2>&1").c_str()) != 0; ++tries)
            std::this_thread::sleep_for(retryPause);
        m_user.clear();
    }
    std::error_code ignored;
    if (!m_folder.empty())
        fs::remove_all(m_folder, ignored);
}

std::string SshdServer::makeClientKey(const std::string &type, const std::string &passphrase, bool pem) const
{
    const std::string path = m_folder + "/client" + std::to_string(++m_keys) + "_" + type;
    run("ssh-keygen -q -t " + type + (pem ? " -m PEM" : "") + " -N '" + passphrase + "' -C qzweb-test -f '" + path
        + "'");
    return path;
}

std::string SshdServer::publicLine(const std::string &privateKeyPath)
{
    std::ifstream in(privateKeyPath + ".pub");
    std::string line;
    std::getline(in, line);
    return line;
}
