#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

// Runs Debian's pyftpdlib as a real FTP server on a free loopback port, serving a fresh
// temporary folder to one user with every permission. The server is up and accepting
// once the constructor returns, and is stopped and its folder removed by the destructor.
class PyFtpdServer
{
public:
    enum class CommandLog {
        Off,
        On, // every command's verb is kept, for tests that count what went on the wire
    };

    // uploadBytesPerSecond: uploads are taken no faster (0: as fast as they come), as over a
    // slow link. Throws std::runtime_error when the server cannot be started.
    explicit PyFtpdServer(CommandLog log = CommandLog::Off, std::size_t uploadBytesPerSecond = 0);
    ~PyFtpdServer();
    PyFtpdServer(const PyFtpdServer &) = delete;
    PyFtpdServer &operator=(const PyFtpdServer &) = delete;

    std::uint16_t port() const { return m_port; }
    const std::string &root() const { return m_root; }
    std::string user() const { return "qzweb"; }
    std::string password() const { return "secret"; }
    // The verbs received so far ("USER", "STOR", ...), in order; empty without the log.
    std::vector<std::string> commands() const;

    // The interpreter that has pyftpdlib: Debian's own, even when another python3 comes
    // first on the PATH.
    static std::string pythonPath();
    static std::string scriptPath();

private:
    void stop();

    std::string m_root;
    std::string m_commandLog; // beside the root, so no listing shows it
    pid_t m_pid = -1;
    std::uint16_t m_port = 0;
};
