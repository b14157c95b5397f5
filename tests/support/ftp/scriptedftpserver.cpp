#include "support/ftp/scriptedftpserver.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Long enough for any client under test, short enough that a broken one fails quickly.
constexpr int waitMilliseconds = 5000;
constexpr std::size_t chunkSize = 65536;
constexpr int bitsPerByte = 8;

[[noreturn]] void fail(const std::string &what)
{
    throw std::runtime_error(what);
}

[[noreturn]] void failCall(const std::string &what)
{
    fail(what + ": " + std::strerror(errno));
}

sockaddr_in loopback(const char *address, std::uint16_t port)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    ::inet_pton(AF_INET, address, &result.sin_addr);
    return result;
}

int listenOn(const char *address, std::uint16_t &port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in where = loopback(address, 0);
    socklen_t length = sizeof where;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&where), sizeof where) != 0 || ::listen(fd, 4) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr *>(&where), &length) != 0)
        failCall("cannot listen");
    port = ntohs(where.sin_port);
    return fd;
}

bool waitReadable(int fd, int milliseconds)
{
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, milliseconds) > 0;
}

int acceptWithin(int listener)
{
    if (!waitReadable(listener, waitMilliseconds))
        fail("no connection came");
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        failCall("accept failed");
    return fd;
}

int connectFrom(const char *localAddress, const std::string &address, std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local = loopback(localAddress, 0);
    sockaddr_in remote = loopback(address.c_str(), port);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0
        || ::connect(fd, reinterpret_cast<sockaddr *>(&remote), sizeof remote) != 0)
        failCall("cannot connect to " + address + ":" + std::to_string(port));
    return fd;
}

void sendAll(int fd, const std::string &bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t sent = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (sent < 0)
            failCall("send failed");
        done += static_cast<std::size_t>(sent);
    }
}

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

ScriptedFtpServer::ScriptedFtpServer()
{
    m_listener = listenOn("127.0.0.1", m_port);
}

ScriptedFtpServer::~ScriptedFtpServer()
{
    if (m_thread.joinable())
        m_thread.join();
    closeFd(m_listener);
}

ScriptedFtpServer &ScriptedFtpServer::send(const std::string &bytes)
{
    m_steps.push_back([this, bytes] { sendAll(m_control, bytes); });
    return *this;
}

ScriptedFtpServer &ScriptedFtpServer::receive()
{
    m_steps.push_back([this] {
        std::optional<std::string> line = readCommand(waitMilliseconds);
        if (!line)
            fail("the client sent no command");
        record(std::move(*line));
    });
    return *this;
}

ScriptedFtpServer &ScriptedFtpServer::offerPassive(const std::string &namedAddress)
{
    m_steps.push_back([this, namedAddress] {
        std::uint16_t port = 0;
        closeFd(m_passiveListener);
        m_passiveListener = listenOn("127.0.0.1", port);
        sendAll(m_control,
                "227 Entering Passive Mode (" + namedAddress + "," + std::to_string(port >> bitsPerByte) + ","
                    + std::to_string(port & 0xFF) + ").\r\n");
    });
    return *this;
}

ScriptedFtpServer &ScriptedFtpServer::offerExtendedPassive()
{
    m_steps.push_back([this] {
        std::uint16_t port = 0;
        closeFd(m_passiveListener);
        m_passiveListener = listenOn("127.0.0.1", port);
        sendAll(m_control, "229 Entering Extended Passive Mode (|||" + std::to_string(port) + "|)\r\n");
    });
    return *this;
}

int ScriptedFtpServer::openDataConnection()
{
    if (m_passiveListener >= 0) {
        const int fd = acceptWithin(m_passiveListener);
        closeFd(m_passiveListener);
        return fd;
    }
    if (m_activePort == 0)
        fail("no PORT command to connect to");
    return connectFrom("127.0.0.1", m_activeAddress, m_activePort);
}

ScriptedFtpServer &ScriptedFtpServer::sendData(const std::string &bytes)
{
    m_steps.push_back([this, bytes] {
        int fd = openDataConnection();
        sendAll(fd, bytes);
        closeFd(fd);
    });
    return *this;
}

ScriptedFtpServer &ScriptedFtpServer::stallData(const std::string &bytes)
{
    m_steps.push_back([this, bytes] {
        int fd = openDataConnection();
        sendAll(fd, bytes);
        char byte = 0;
        const bool closedByClient = waitReadable(fd, waitMilliseconds) && ::recv(fd, &byte, 1, 0) <= 0;
        closeFd(fd);
        if (!closedByClient)
            fail("the client kept a stalled data connection open");
    });
    return *this;
}

ScriptedFtpServer &ScriptedFtpServer::holdData(int milliseconds)
{
    m_steps.push_back([this, milliseconds] {
        int fd = openDataConnection();
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        closeFd(fd);
    });
    return *this;
}

ScriptedFtpServer &ScriptedFtpServer::refuseData(std::size_t bytesToRead, const std::string &line)
{
    m_steps.push_back([this, bytesToRead, line] {
        int fd = openDataConnection();
        char buffer[chunkSize];
        std::size_t got = 0;
        while (got < bytesToRead && waitReadable(fd, waitMilliseconds)) {
            const ssize_t size = ::recv(fd, buffer, std::min(sizeof buffer, bytesToRead - got), 0);
            if (size <= 0)
                fail("the client closed the data connection early");
            got += static_cast<std::size_t>(size);
        }
        sendAll(m_control, line + "\r\n");
        // Closing with unread bytes and no linger sends a reset, as servers do when a disk fills.
        const linger reset{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        closeFd(fd);
    });
    return *this;
}

ScriptedFtpServer &ScriptedFtpServer::flood(const std::string &bytes)
{
    std::string block = bytes;
    while (block.size() < chunkSize)
        block += bytes;
    m_steps.push_back([this, bytes = std::move(block)] {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
        while (std::chrono::steady_clock::now() < giveUp) {
            pollfd entry{m_control, POLLOUT, 0};
            if (::poll(&entry, 1, 100) <= 0)
                continue;
            if (::send(m_control, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0 && errno != EAGAIN)
                return; // the client hung up, as it should
        }
    });
    return *this;
}

ScriptedFtpServer &ScriptedFtpServer::receiveData()
{
    m_steps.push_back([this] {
        int fd = openDataConnection();
        std::string data;
        char buffer[chunkSize];
        for (;;) {
            if (!waitReadable(fd, waitMilliseconds))
                fail("data connection stayed silent");
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            data.append(buffer, static_cast<std::size_t>(got));
        }
        closeFd(fd);
        const std::lock_guard lock(m_mutex);
        m_receivedData += data;
    });
    return *this;
}

ScriptedFtpServer &ScriptedFtpServer::receiveDataUntilCommand()
{
    m_steps.push_back([this] {
        int fd = openDataConnection();
        std::string data;
        char buffer[chunkSize];
        const auto commandWaiting = [this] { return m_pending.find("\r\n") != std::string::npos; };
        const auto readControl = [&] {
            const ssize_t got = ::recv(m_control, buffer, sizeof buffer, 0);
            if (got <= 0)
                fail("the client closed the control connection");
            m_pending.append(buffer, static_cast<std::size_t>(got));
        };
        while (!commandWaiting()) {
            pollfd entries[2]{{m_control, POLLIN, 0}, {fd, POLLIN, 0}};
            if (::poll(entries, 2, waitMilliseconds) <= 0)
                fail("the client sent neither data nor a command");
            if (entries[0].revents != 0) {
                readControl();
                continue;
            }
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got > 0) {
                data.append(buffer, static_cast<std::size_t>(got));
                continue;
            }
            // Bytes sent on the control connection before the data connection was closed are
            // here by now, on loopback.
            while (!commandWaiting() && waitReadable(m_control, 0))
                readControl();
            if (!commandWaiting())
                fail("the client closed the data connection before it sent a command");
        }
        // What the client sent before its command is here by now, on loopback: take it too, so
        // what was received does not hang on which connection the poll happened to see first.
        for (ssize_t got = 0; (got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
            data.append(buffer, static_cast<std::size_t>(got));
        closeFd(fd);
        const std::lock_guard lock(m_mutex);
        m_receivedData += data;
    });
    return *this;
}

ScriptedFtpServer &ScriptedFtpServer::intrude()
{
    m_steps.push_back([this] {
        int fd = connectFrom("127.0.0.2", m_activeAddress, m_activePort);
        sendAll(fd, "intruder's bytes");
        char byte = 0;
        bool dropped = false;
        if (waitReadable(fd, waitMilliseconds))
            dropped = ::recv(fd, &byte, 1, 0) <= 0;
        closeFd(fd);
        const std::lock_guard lock(m_mutex);
        m_intruderDropped = dropped;
    });
    return *this;
}

ScriptedFtpServer &ScriptedFtpServer::closeControl()
{
    m_steps.push_back([this] { closeFd(m_control); });
    return *this;
}

ScriptedFtpServer &ScriptedFtpServer::pause(int milliseconds)
{
    m_steps.push_back([milliseconds] { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); });
    return *this;
}

void ScriptedFtpServer::start()
{
    m_thread = std::thread([this] { run(); });
}

void ScriptedFtpServer::finish()
{
    if (m_thread.joinable())
        m_thread.join();
}

void ScriptedFtpServer::run()
{
    try {
        m_control = acceptWithin(m_listener);
        for (const Step &step : m_steps)
            step();
        // Keep listening until the client leaves, recording what else it says ("Quit").
        while (std::optional<std::string> line = readCommand(waitMilliseconds))
            record(std::move(*line));
    } catch (const std::exception &error) {
        const std::lock_guard lock(m_mutex);
        m_failure = error.what();
    }
    closeFd(m_control);
    closeFd(m_passiveListener);
}

std::optional<std::string> ScriptedFtpServer::readCommand(int milliseconds)
{
    for (;;) {
        const std::size_t end = m_pending.find("\r\n");
        if (end != std::string::npos) {
            std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end + 2);
            return line;
        }
        if (m_control < 0 || !waitReadable(m_control, milliseconds))
            return std::nullopt;
        char buffer[chunkSize];
        const ssize_t got = ::recv(m_control, buffer, sizeof buffer, 0);
        if (got <= 0) {
            closeFd(m_control);
            return std::nullopt;
        }
        m_pending.append(buffer, static_cast<std::size_t>(got));
    }
}

void ScriptedFtpServer::record(std::string line)
{
    // Telnet IP and Synch before a command (ABOR): IAC IP, then DM, whose IAC came as urgent
    // data and so is not in the stream.
    std::size_t telnet = 0;
    while (telnet < line.size() && static_cast<unsigned char>(line[telnet]) >= 0xF0)
        ++telnet;
    const bool interrupted = line.compare(0, telnet, "\xFF\xF4\xF2") == 0;
    line.erase(0, telnet);
    if (line.rfind("PORT ", 0) == 0) {
        std::istringstream fields(line.substr(5));
        std::string field;
        std::vector<int> numbers;
        while (std::getline(fields, field, ','))
            numbers.push_back(std::stoi(field));
        if (numbers.size() == 6) {
            m_activeAddress = std::to_string(numbers[0]) + "." + std::to_string(numbers[1]) + "."
                + std::to_string(numbers[2]) + "." + std::to_string(numbers[3]);
            m_activePort = static_cast<std::uint16_t>((numbers[4] << bitsPerByte) | numbers[5]);
        }
    }
    const std::lock_guard lock(m_mutex);
    m_commands.push_back(std::move(line));
    if (interrupted)
        ++m_interruptedCommands;
}

int ScriptedFtpServer::interruptedCommands() const
{
    const std::lock_guard lock(m_mutex);
    return m_interruptedCommands;
}

std::vector<std::string> ScriptedFtpServer::commands() const
{
    const std::lock_guard lock(m_mutex);
    return m_commands;
}

std::string ScriptedFtpServer::receivedData() const
{
    const std::lock_guard lock(m_mutex);
    return m_receivedData;
}

bool ScriptedFtpServer::intruderDropped() const
{
    const std::lock_guard lock(m_mutex);
    return m_intruderDropped;
}

std::string ScriptedFtpServer::failure() const
{
    const std::lock_guard lock(m_mutex);
    return m_failure;
}
