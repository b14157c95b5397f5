#pragma once

#include <cstdint>
#include <string>

// An IPv4 address and TCP port in host byte order, as the client passes them between the
// control connection, PORT/PASV texts and the data connection.
struct Ipv4Endpoint
{
    std::uint32_t address = 0;
    std::uint16_t port = 0;

    // Dotted decimal form of the address ("127.0.0.1").
    std::string addressText() const;

    friend bool operator==(const Ipv4Endpoint &, const Ipv4Endpoint &) = default;
};
