#pragma once

#include "transfer/ftp/deadline.h"
#include "transfer/ftp/networkendpoint.h"

#include <cstdint>
#include <string>
#include <vector>

class SocketInterrupter;

// Turns the host setting into the addresses to try, IPv4 and IPv6 alike.
class HostResolver
{
public:
    // "LOCALHOST" in any letter case is 127.0.0.1; four dot-separated integers 0 to 255 and
    // IPv6 literals are taken as they are; anything else is looked up (AF_UNSPEC) and every
    // address is returned in the order the system prefers. The lookup runs on a thread of its
    // own that is left behind when the deadline passes or the interrupter is raised, since
    // getaddrinfo() cannot be stopped: a slow name server never holds up quitting or a cancel.
    // Throws SocketError when the lookup fails or times out, FtpCancelledError when interrupted.
    static std::vector<NetworkEndpoint> resolve(const std::string &host,
                                                std::uint16_t port,
                                                const Deadline &deadline,
                                                const SocketInterrupter *interrupter = nullptr);

    // True and the address in result when host is a dotted IPv4 address.
    static bool parseDotted(const std::string &host, std::uint32_t &result);
};
