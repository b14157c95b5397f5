#pragma once

#include "transfer/ftp/ipv4endpoint.h"

#include <cstdint>
#include <string>
#include <sys/socket.h>

// An IPv4 or IPv6 address and TCP port, in the form the socket calls take, so the control and
// data connections work the same over either family.
class NetworkEndpoint
{
public:
    NetworkEndpoint() = default;
    explicit NetworkEndpoint(const Ipv4Endpoint &endpoint);
    // From what accept(), getpeername() or getaddrinfo() filled; other families stay empty.
    NetworkEndpoint(const sockaddr *address, socklen_t length);

    // An IPv4 dotted or IPv6 literal address ("::1"); an empty endpoint when it is neither.
    static NetworkEndpoint fromLiteral(const std::string &text, std::uint16_t port);

    bool isEmpty() const { return m_length == 0; }
    int family() const { return m_address.ss_family; }
    bool isIpv6() const { return family() == AF_INET6; }
    std::uint16_t port() const;
    NetworkEndpoint withPort(std::uint16_t port) const;
    // Only for an IPv4 endpoint.
    Ipv4Endpoint toIpv4() const;
    // "127.0.0.1" or "::1".
    std::string addressText() const;
    bool sameAddress(const NetworkEndpoint &other) const;

    const sockaddr *data() const { return reinterpret_cast<const sockaddr *>(&m_address); }
    socklen_t size() const { return m_length; }

private:
    sockaddr_storage m_address{};
    socklen_t m_length = 0;
};
