#include "support/ftp/pyftpdserver.h"

#include <arpa/inet.h>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int startMilliseconds = 15000;
constexpr auto retryPause = std::chrono::milliseconds(50);

bool acceptsConnections(std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

} // namespace

std::string PyFtpdServer::pythonPath()
{
    return ::access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
}

std::string PyFtpdServer::scriptPath()
{
    return std::string(QZWEB_FTP_SUPPORT_DIR) + "/pyftpd_server.py";
}

PyFtpdServer::PyFtpdServer(CommandLog log, std::size_t uploadBytesPerSecond)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "qzweb-ftp-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    m_root = pattern;
    if (log == CommandLog::On)
        m_commandLog = m_root + ".commands";

    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot create a pipe");
    const std::string python = pythonPath();
    const std::string script = scriptPath();
    const std::string userName = user();
    const std::string secret = password();
    const std::string commandLog = m_commandLog;
    const std::string uploadRate = std::to_string(uploadBytesPerSecond);
    m_pid = ::fork();
    if (m_pid == 0) {
        // A test that crashes (or a preview that is killed) takes its server along, instead of
        // leaving it running with the test's output pipe held open.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::dup2(output[1], STDOUT_FILENO);
        ::setenv("QZWEB_FTP_UPLOAD_RATE", uploadRate.c_str(), 1);
        ::execlp(python.c_str(),
                 python.c_str(),
                 script.c_str(),
                 m_root.c_str(),
                 userName.c_str(),
                 secret.c_str(),
                 commandLog.empty() ? static_cast<char *>(nullptr) : commandLog.c_str(),
                 static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ::close(output[1]);

    std::string announced;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(startMilliseconds);
    while (announced.find('\n') == std::string::npos && std::chrono::steady_clock::now() < giveUp) {
        pollfd entry{output[0], POLLIN, 0};
        if (::poll(&entry, 1, startMilliseconds) <= 0)
            break;
        char buffer[256];
        const ssize_t got = ::read(output[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        announced.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(output[0]);
    if (announced.rfind("PORT ", 0) == 0)
        m_port = static_cast<std::uint16_t>(std::stoi(announced.substr(5)));
    while (m_port != 0 && !acceptsConnections(m_port) && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(retryPause);
    if (m_port == 0 || !acceptsConnections(m_port)) {
        stop();
        throw std::runtime_error("pyftpdlib did not start (" + python + " " + script + ")");
    }
}

PyFtpdServer::~PyFtpdServer()
{
    stop();
}

void PyFtpdServer::stop()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
    if (!m_commandLog.empty())
        std::filesystem::remove(m_commandLog, ignored);
}

std::vector<std::string> PyFtpdServer::commands() const
{
    std::vector<std::string> verbs;
    std::ifstream file(m_commandLog);
    for (std::string line; std::getline(file, line);)
        verbs.push_back(line);
    return verbs;
}
