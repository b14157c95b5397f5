#include "transfer/ftp/networkendpoint.h"

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>

NetworkEndpoint::NetworkEndpoint(const Ipv4Endpoint &endpoint)
{
    auto *address = reinterpret_cast<sockaddr_in *>(&m_address);
    address->sin_family = AF_INET;
    address->sin_addr.s_addr = htonl(endpoint.address);
    address->sin_port = htons(endpoint.port);
    m_length = sizeof(sockaddr_in);
}

NetworkEndpoint::NetworkEndpoint(const sockaddr *address, socklen_t length)
{
    const bool known = (address->sa_family == AF_INET && length >= sizeof(sockaddr_in))
        || (address->sa_family == AF_INET6 && length >= sizeof(sockaddr_in6));
    if (!known || length > sizeof m_address)
        return;
    std::memcpy(&m_address, address, length);
    m_length = address->sa_family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
}

NetworkEndpoint NetworkEndpoint::fromLiteral(const std::string &text, std::uint16_t port)
{
    NetworkEndpoint endpoint;
    in_addr v4{};
    in6_addr v6{};
    if (::inet_pton(AF_INET, text.c_str(), &v4) == 1) {
        auto *address = reinterpret_cast<sockaddr_in *>(&endpoint.m_address);
        address->sin_family = AF_INET;
        address->sin_addr = v4;
        endpoint.m_length = sizeof(sockaddr_in);
    } else if (::inet_pton(AF_INET6, text.c_str(), &v6) == 1) {
        auto *address = reinterpret_cast<sockaddr_in6 *>(&endpoint.m_address);
        address->sin6_family = AF_INET6;
        address->sin6_addr = v6;
        endpoint.m_length = sizeof(sockaddr_in6);
    } else {
        return endpoint;
    }
    return endpoint.withPort(port);
}

std::uint16_t NetworkEndpoint::port() const
{
    if (isIpv6())
        return ntohs(reinterpret_cast<const sockaddr_in6 *>(&m_address)->sin6_port);
    return ntohs(reinterpret_cast<const sockaddr_in *>(&m_address)->sin_port);
}

NetworkEndpoint NetworkEndpoint::withPort(std::uint16_t port) const
{
    NetworkEndpoint endpoint = *this;
    if (isIpv6())
        reinterpret_cast<sockaddr_in6 *>(&endpoint.m_address)->sin6_port = htons(port);
    else if (family() == AF_INET)
        reinterpret_cast<sockaddr_in *>(&endpoint.m_address)->sin_port = htons(port);
    return endpoint;
}

Ipv4Endpoint NetworkEndpoint::toIpv4() const
{
    const auto *address = reinterpret_cast<const sockaddr_in *>(&m_address);
    return Ipv4Endpoint{ntohl(address->sin_addr.s_addr), port()};
}

std::string NetworkEndpoint::addressText() const
{
    char text[INET6_ADDRSTRLEN] = {};
    if (isIpv6())
        ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(&m_address)->sin6_addr, text, sizeof text);
    else if (family() == AF_INET)
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(&m_address)->sin_addr, text, sizeof text);
    return text;
}

bool NetworkEndpoint::sameAddress(const NetworkEndpoint &other) const
{
    if (family() != other.family())
        return false;
    if (isIpv6())
        return std::memcmp(&reinterpret_cast<const sockaddr_in6 *>(&m_address)->sin6_addr,
                           &reinterpret_cast<const sockaddr_in6 *>(&other.m_address)->sin6_addr,
                           sizeof(in6_addr))
            == 0;
    return toIpv4().address == other.toIpv4().address;
}
