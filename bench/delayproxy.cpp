#include "delayproxy.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <list>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = DelayProxy::Clock;

constexpr std::size_t readSize = 256 * 1024;
// Reading stops while this much waits in one direction: far above what 10 ms of loopback holds
// in flight, so it never sets the pace, and a stalled reader cannot fill the memory.
constexpr std::size_t queueLimit = 64 * 1024 * 1024;

void setNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

void setNoDelay(int fd)
{
    // The proxy writes each chunk when it is due; Nagle's wait for an acknowledgement would add
    // a delay of its own.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

sockaddr_in addressOf(const std::string &host, std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    return address;
}

struct Chunk
{
    Clock::time_point due;
    std::string bytes; // empty: the sender shut its side down
    std::size_t sent = 0;
};

// One direction of a connection: what was read from one socket and is owed to the other.
struct Direction
{
    std::deque<Chunk> queue;
    std::size_t queued = 0;
    bool readEnded = false; // the sender shut down: nothing more to read
    bool shutDown = false;  // and the receiver was told, in its turn
    bool waitsToWrite = false;
};

struct Pair
{
    int client = -1;
    int server = -1;
    bool control = false;
    Clock::time_point connectAt;
    std::uint16_t port = 0;
    bool connecting = false;
    bool connected = false;
    bool failed = false;
    Direction up;   // client to server
    Direction down; // server to client
    bool countsLines = true;
    std::string line; // the start of the command line being read, for AUTH
};

bool startsWithAuth(const std::string &line)
{
    return line.size() >= 4 && std::equal(line.begin(), line.begin() + 4, "AUTH", [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == b;
           });
}

} // namespace

class DelayProxy::Forwarder
{
public:
    Forwarder(std::string target, std::chrono::microseconds oneWay)
        : m_target(std::move(target)), m_oneWay(oneWay), m_buffer(readSize, '\0')
    {}
    ~Forwarder()
    {
        if (m_thread.joinable()) {
            const char stop = 's';
            [[maybe_unused]] const ssize_t written = ::write(m_wake[1], &stop, 1);
            m_thread.join();
        }
        for (Pair &pair : m_pairs)
            closePair(pair);
        for (const Listener &listener : m_listeners)
            ::close(listener.fd);
        if (m_wake[0] >= 0) {
            ::close(m_wake[0]);
            ::close(m_wake[1]);
        }
    }

    bool listen(const std::string &host, std::uint16_t port, bool control)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        const sockaddr_in address = addressOf(host, port);
        if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 || ::listen(fd, 64) != 0) {
            ::close(fd);
            return false;
        }
        setNonBlocking(fd);
        m_listeners.push_back({fd, port, control});
        return true;
    }

    bool run()
    {
        if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0)
            return false;
        m_thread = std::thread([this] { loop(); });
        return true;
    }

    void resetCounts()
    {
        const std::lock_guard lock(m_mutex);
        m_counts = {};
    }
    Counts counts() const
    {
        const std::lock_guard lock(m_mutex);
        return m_counts;
    }
    int openPairs() const
    {
        const std::lock_guard lock(m_mutex);
        return m_open;
    }

private:
    struct Listener
    {
        int fd;
        std::uint16_t port;
        bool control;
    };

    void loop()
    {
        std::vector<pollfd> fds;
        std::vector<Pair *> owners; // per entry of fds after the listeners: the pair, or none
        for (;;) {
            const Clock::time_point now = Clock::now();
            startConnects(now);
            for (Pair &pair : m_pairs) {
                flush(pair.up, pair.server, pair.connected, now);
                flush(pair.down, pair.client, true, now);
            }
            closeFinished();

            fds.clear();
            owners.clear();
            fds.push_back({m_wake[0], POLLIN, 0});
            for (const Listener &listener : m_listeners)
                fds.push_back({listener.fd, POLLIN, 0});
            std::optional<Clock::time_point> wakeAt;
            const auto wakeBy = [&](Clock::time_point when) { wakeAt = wakeAt ? std::min(*wakeAt, when) : when; };
            for (Pair &pair : m_pairs) {
                short clientEvents = 0;
                if (!pair.up.readEnded && pair.up.queued < queueLimit)
                    clientEvents |= POLLIN;
                if (pair.down.waitsToWrite)
                    clientEvents |= POLLOUT;
                // A socket with nothing to wait for stays out: its hang-up would wake the loop
                // again and again until the last chunk is due.
                fds.push_back({clientEvents != 0 ? pair.client : -1, clientEvents, 0});
                owners.push_back(&pair);
                if (pair.connecting || pair.connected) {
                    short serverEvents = 0;
                    if (pair.connecting || pair.up.waitsToWrite)
                        serverEvents |= POLLOUT;
                    if (pair.connected && !pair.down.readEnded && pair.down.queued < queueLimit)
                        serverEvents |= POLLIN;
                    fds.push_back({serverEvents != 0 ? pair.server : -1, serverEvents, 0});
                    owners.push_back(&pair);
                } else {
                    wakeBy(pair.connectAt);
                }
                for (const Direction *direction : {&pair.up, &pair.down}) {
                    if (!direction->queue.empty() && !direction->waitsToWrite)
                        wakeBy(direction->queue.front().due);
                }
            }
            timespec timeout{};
            timespec *wait = nullptr;
            if (wakeAt) {
                const auto left = std::max(Clock::duration::zero(), *wakeAt - Clock::now());
                const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
                timeout.tv_sec = static_cast<time_t>(nanoseconds / 1000000000);
                timeout.tv_nsec = static_cast<long>(nanoseconds % 1000000000);
                wait = &timeout;
            }
            if (::ppoll(fds.data(), fds.size(), wait, nullptr) < 0 && errno != EINTR)
                return;
            if (fds[0].revents != 0)
                return;
            const Clock::time_point arrived = Clock::now();
            for (std::size_t i = 0; i < m_listeners.size(); ++i) {
                if (fds[1 + i].revents & POLLIN)
                    accept(m_listeners[i], arrived);
            }
            const std::size_t firstPairEntry = 1 + m_listeners.size();
            for (std::size_t i = firstPairEntry; i < fds.size(); ++i) {
                Pair &pair = *owners[i - firstPairEntry];
                if (fds[i].revents == 0 || pair.failed)
                    continue;
                if (fds[i].fd == pair.client) {
                    if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) && !pair.up.readEnded)
                        read(pair, pair.client, pair.up, arrived);
                    if (fds[i].revents & POLLOUT)
                        pair.down.waitsToWrite = false;
                } else if (pair.connecting) {
                    finishConnect(pair);
                } else {
                    if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) && !pair.down.readEnded)
                        read(pair, pair.server, pair.down, arrived);
                    if (fds[i].revents & POLLOUT)
                        pair.up.waitsToWrite = false;
                }
            }
        }
    }

    void accept(const Listener &listener, Clock::time_point now)
    {
        for (;;) {
            const int fd = ::accept4(listener.fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0)
                return;
            setNoDelay(fd);
            Pair pair;
            pair.client = fd;
            pair.control = listener.control;
            pair.port = listener.port;
            // A real connection reaches the server's accept with the client's ACK, one and a
            // half round trips after the SYN; the client's first bytes wait in the queue.
            pair.connectAt = now + 3 * m_oneWay;
            m_pairs.push_back(std::move(pair));
            const std::lock_guard lock(m_mutex);
            ++m_open;
            if (listener.control) {
                ++m_counts.controlConnections;
                if (!m_counts.firstControlConnection)
                    m_counts.firstControlConnection = now;
            } else {
                ++m_counts.dataConnections;
            }
        }
    }

    void startConnects(Clock::time_point now)
    {
        for (Pair &pair : m_pairs) {
            if (pair.connecting || pair.connected || pair.failed || now < pair.connectAt)
                continue;
            pair.server = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            setNoDelay(pair.server);
            const sockaddr_in address = addressOf(m_target, pair.port);
            if (::connect(pair.server, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
                pair.connected = true;
            else if (errno == EINPROGRESS)
                pair.connecting = true;
            else
                pair.failed = true;
        }
    }

    static void finishConnect(Pair &pair)
    {
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(pair.server, SOL_SOCKET, SO_ERROR, &error, &length);
        pair.connecting = false;
        if (error == 0)
            pair.connected = true;
        else
            pair.failed = true;
    }

    void read(Pair &pair, int fd, Direction &direction, Clock::time_point now)
    {
        const ssize_t got = ::recv(fd, m_buffer.data(), m_buffer.size(), 0);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (got <= 0) {
            // An end, or a reset: either way nothing more comes, and what came is still owed.
            direction.readEnded = true;
            direction.queue.push_back({now + m_oneWay, {}});
            return;
        }
        std::string bytes(m_buffer.data(), static_cast<std::size_t>(got));
        if (pair.control && &direction == &pair.up && pair.countsLines)
            countLines(pair, bytes);
        direction.queued += bytes.size();
        direction.queue.push_back({now + m_oneWay, std::move(bytes)});
    }

    void countLines(Pair &pair, const std::string &bytes)
    {
        int lines = 0;
        bool turnsToTls = false;
        for (const char c : bytes) {
            if (c != '\n') {
                if (pair.line.size() < 8)
                    pair.line.push_back(c);
                continue;
            }
            ++lines;
            if (startsWithAuth(pair.line)) {
                // What follows is TLS: its bytes are no lines.
                turnsToTls = true;
                pair.countsLines = false;
                break;
            }
            pair.line.clear();
        }
        const std::lock_guard lock(m_mutex);
        m_counts.commandLines += lines;
        m_counts.encrypted = m_counts.encrypted || turnsToTls;
    }

    static void flush(Direction &direction, int to, bool open, Clock::time_point now)
    {
        if (!open || direction.waitsToWrite)
            return;
        while (!direction.queue.empty() && direction.queue.front().due <= now) {
            Chunk &chunk = direction.queue.front();
            if (chunk.bytes.empty()) {
                ::shutdown(to, SHUT_WR);
                direction.shutDown = true;
                direction.queue.clear();
                return;
            }
            const ssize_t sent =
                ::send(to, chunk.bytes.data() + chunk.sent, chunk.bytes.size() - chunk.sent, MSG_NOSIGNAL);
            if (sent < 0) {
                if (errno == EAGAIN || errno == EINTR) {
                    direction.waitsToWrite = true;
                    return;
                }
                // The receiver is gone: what is owed to it can never arrive.
                direction.queue.clear();
                direction.queued = 0;
                direction.shutDown = true;
                return;
            }
            chunk.sent += static_cast<std::size_t>(sent);
            if (chunk.sent < chunk.bytes.size()) {
                direction.waitsToWrite = true;
                return;
            }
            direction.queued -= chunk.bytes.size();
            direction.queue.pop_front();
        }
    }

    static void closePair(Pair &pair)
    {
        if (pair.client >= 0)
            ::close(pair.client);
        if (pair.server >= 0)
            ::close(pair.server);
        pair.client = pair.server = -1;
    }

    void closeFinished()
    {
        for (auto it = m_pairs.begin(); it != m_pairs.end();) {
            const bool done = it->failed || (it->up.shutDown && it->down.shutDown);
            if (!done) {
                ++it;
                continue;
            }
            closePair(*it);
            it = m_pairs.erase(it);
            const std::lock_guard lock(m_mutex);
            --m_open;
        }
    }

    const std::string m_target;
    const std::chrono::microseconds m_oneWay;
    std::vector<char> m_buffer;
    std::vector<Listener> m_listeners;
    std::list<Pair> m_pairs; // stable addresses while the poll entries point at them
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
    mutable std::mutex m_mutex; // guards what the benchmark's thread reads: the counts, m_open
    Counts m_counts;
    int m_open = 0;
};

DelayProxy::DelayProxy(const std::string &listenAddress,
                       const std::string &targetAddress,
                       std::uint16_t controlPort,
                       std::uint16_t firstDataPort,
                       int dataPorts,
                       std::chrono::microseconds oneWay)
    : m_forwarder(std::make_unique<Forwarder>(targetAddress, oneWay)), m_listenAddress(listenAddress),
      m_controlPort(controlPort), m_firstDataPort(firstDataPort), m_dataPorts(dataPorts)
{}

DelayProxy::~DelayProxy() = default;

bool DelayProxy::start()
{
    if (!m_forwarder->listen(m_listenAddress, m_controlPort, true))
        return false;
    for (int i = 0; i < m_dataPorts; ++i) {
        if (!m_forwarder->listen(m_listenAddress, static_cast<std::uint16_t>(m_firstDataPort + i), false))
            return false;
    }
    return m_forwarder->run();
}

void DelayProxy::resetCounts()
{
    m_forwarder->resetCounts();
}

DelayProxy::Counts DelayProxy::counts() const
{
    return m_forwarder->counts();
}

bool DelayProxy::waitUntilIdle(std::chrono::milliseconds limit) const
{
    const Clock::time_point giveUp = Clock::now() + limit;
    while (m_forwarder->openPairs() > 0) {
        if (Clock::now() > giveUp)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
