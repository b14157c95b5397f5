#pragma once

#include <cstdint>
#include <string>

// Turns the host setting into an IPv4 address the way the client has always read it.
class HostResolver
{
public:
    // "LOCALHOST" in any letter case is 127.0.0.1; four dot-separated integers 0 to 255 are
    // taken as they are; anything else is looked up and its first IPv4 address used.
    // Throws SocketError when the lookup fails.
    static std::uint32_t resolve(const std::string &host);

    // True and the address in result when host is a dotted IPv4 address.
    static bool parseDotted(const std::string &host, std::uint32_t &result);
};
