#pragma once

// DelayProxy: a network with a round trip, between the benchmark's clients and its FTP server on
// loopback. It listens on one loopback address on the server's control port and on its whole
// passive port range, and forwards each connection to the same port on the server's address.
// Every chunk read on one side is written on the other a fixed time later, in order; chunks are
// queued with their due time, so the delay does not limit throughput. The server learns of a new
// connection, and gets the client's first bytes, one and a half round trips after the client
// connected, as over a real network (SYN, SYN-ACK, ACK). It also tells what it saw: connections,
// the command lines clients sent while the control connection was plain text, and when each
// run's first control connection came.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class DelayProxy
{
public:
    using Clock = std::chrono::steady_clock;

    struct Counts
    {
        int controlConnections = 0;
        int dataConnections = 0;
        // Lines clients sent on control connections before they turned to TLS with AUTH, which
        // is counted; after it the lines are encrypted and encrypted is true.
        int commandLines = 0;
        bool encrypted = false;
        std::optional<Clock::time_point> firstControlConnection;
    };

    // Listens on listenAddress at controlPort and at firstDataPort .. firstDataPort + dataPorts - 1,
    // forwarding to targetAddress at the same port.
    DelayProxy(const std::string &listenAddress,
               const std::string &targetAddress,
               std::uint16_t controlPort,
               std::uint16_t firstDataPort,
               int dataPorts,
               std::chrono::microseconds oneWay);
    ~DelayProxy();
    DelayProxy(const DelayProxy &) = delete;
    DelayProxy &operator=(const DelayProxy &) = delete;

    // Binds every port and starts forwarding on a thread of its own; false when a port is taken.
    bool start();
    // Counts from here on.
    void resetCounts();
    Counts counts() const;
    // Waits until no connection is open, so that a finished run's last lines are counted.
    bool waitUntilIdle(std::chrono::milliseconds limit) const;

private:
    class Forwarder;
    std::unique_ptr<Forwarder> m_forwarder;
    std::string m_listenAddress;
    std::uint16_t m_controlPort;
    std::uint16_t m_firstDataPort;
    int m_dataPorts;
};
