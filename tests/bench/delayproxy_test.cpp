#include "delayproxy.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = DelayProxy::Clock;
using std::chrono::milliseconds;

constexpr milliseconds oneWay(10);
const char *const proxyAddress = "127.0.0.3";

sockaddr_in addressOf(const char *host, std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, host, &address.sin_addr);
    return address;
}

// A listening socket on 127.0.0.1 at a port the kernel picked.
int listenOnLoopback(std::uint16_t &port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = addressOf("127.0.0.1", 0);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::listen(fd, 4);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

int connectTo(const char *host, std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = addressOf(host, port);
    return ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 ? fd : -1;
}

int acceptWithin(int listening, milliseconds limit)
{
    pollfd entry{listening, POLLIN, 0};
    return ::poll(&entry, 1, static_cast<int>(limit.count())) > 0 ? ::accept(listening, nullptr, nullptr) : -1;
}

// Reads until count bytes came or the peer shut its side down; the time of the first byte.
std::string receive(int fd, std::size_t count, Clock::time_point *firstByte = nullptr)
{
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < count) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, 5000) <= 0)
            break;
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        if (bytes.empty() && firstByte)
            *firstByte = Clock::now();
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

void sendAll(int fd, const std::string &bytes)
{
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        ASSERT_GT(n, 0);
        sent += static_cast<std::size_t>(n);
    }
}

double msSince(Clock::time_point start, Clock::time_point end)
{
    return std::chrono::duration<double, std::milli>(end - start).count();
}

class DelayProxyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_controlServer = listenOnLoopback(m_controlPort);
        m_dataServer = listenOnLoopback(m_dataPort);
        m_proxy = std::make_unique<DelayProxy>(
            proxyAddress, "127.0.0.1", m_controlPort, m_dataPort, 1, std::chrono::microseconds(oneWay));
        ASSERT_TRUE(m_proxy->start());
    }
    void TearDown() override
    {
        m_proxy.reset();
        ::close(m_controlServer);
        ::close(m_dataServer);
    }

    std::uint16_t m_controlPort = 0;
    std::uint16_t m_dataPort = 0;
    int m_controlServer = -1;
    int m_dataServer = -1;
    std::unique_ptr<DelayProxy> m_proxy;
};

// Bytes arrive whole, in order and never before their time, each way; the server sees the
// connection a round trip and a half after the client made it; an end on one side reaches the
// other; and the proxy counts what it forwarded.
TEST_F(DelayProxyTest, DelaysEachWayKeepingOrderAndCounts)
{
    const Clock::time_point connected = Clock::now();
    const int client = connectTo(proxyAddress, m_controlPort);
    ASSERT_GE(client, 0);
    const std::string commands = "USER a\r\nPASS b\r\n";
    sendAll(client, commands);
    const int server = acceptWithin(m_controlServer, milliseconds(2000));
    ASSERT_GE(server, 0);
    EXPECT_GE(msSince(connected, Clock::now()), 3.0 * oneWay.count());
    EXPECT_EQ(receive(server, commands.size()), commands);

    // A reply larger than a socket's buffers, so that the proxy's writes block on the way.
    std::string reply(4 * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < reply.size(); ++i)
        reply[i] = static_cast<char>(i * 7 + i / 4096);
    const Clock::time_point replied = Clock::now();
    sendAll(server, reply);
    Clock::time_point firstByte{};
    EXPECT_EQ(receive(client, reply.size(), &firstByte), reply);
    EXPECT_GE(msSince(replied, firstByte), static_cast<double>(oneWay.count()));

    ::shutdown(client, SHUT_WR);
    EXPECT_EQ(receive(server, 1), ""); // the end, not bytes
    ::close(server);
    EXPECT_EQ(receive(client, 1), "");
    ::close(client);
    EXPECT_TRUE(m_proxy->waitUntilIdle(milliseconds(2000)));

    const int data = connectTo(proxyAddress, m_dataPort);
    const int dataServer = acceptWithin(m_dataServer, milliseconds(2000));
    EXPECT_GE(dataServer, 0);
    ::close(data);
    ::close(dataServer);
    EXPECT_TRUE(m_proxy->waitUntilIdle(milliseconds(2000)));

    const DelayProxy::Counts counts = m_proxy->counts();
    EXPECT_EQ(counts.controlConnections, 1);
    EXPECT_EQ(counts.dataConnections, 1);
    EXPECT_EQ(counts.commandLines, 2);
    EXPECT_FALSE(counts.encrypted);
    ASSERT_TRUE(counts.firstControlConnection.has_value());
    // Counted when the client came, not when the server was told a round trip and a half later.
    EXPECT_LT(msSince(connected, *counts.firstControlConnection), 2.0 * oneWay.count());
}

// Once a client asks for TLS, what follows on the control connection is no lines of commands.
TEST_F(DelayProxyTest, StopsCountingLinesAfterAuth)
{
    const int client = connectTo(proxyAddress, m_controlPort);
    ASSERT_GE(client, 0);
    const std::string bytes = "FEAT\r\nauth TLS\r\n\x16\x03\x01\n\n\n";
    sendAll(client, bytes);
    const int server = acceptWithin(m_controlServer, milliseconds(2000));
    ASSERT_GE(server, 0);
    EXPECT_EQ(receive(server, bytes.size()), bytes);
    ::close(client);
    ::close(server);
    EXPECT_TRUE(m_proxy->waitUntilIdle(milliseconds(2000)));
    EXPECT_EQ(m_proxy->counts().commandLines, 2);
    EXPECT_TRUE(m_proxy->counts().encrypted);
}

} // namespace
