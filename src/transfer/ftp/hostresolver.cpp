#include "transfer/ftp/hostresolver.h"

#include "transfer/ftp/socketerror.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <charconv>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

constexpr std::uint32_t loopbackAddress = 0x7F000001;
constexpr int addressParts = 4;
constexpr int bitsPerByte = 8;
constexpr unsigned maxByte = 255;

bool isLocalhost(const std::string &host)
{
    constexpr std::string_view localhost = "localhost";
    return std::equal(host.begin(), host.end(), localhost.begin(), localhost.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

} // namespace

bool HostResolver::parseDotted(const std::string &host, std::uint32_t &result)
{
    std::uint32_t address = 0;
    const char *position = host.data();
    const char *end = position + host.size();
    for (int index = 0; index < addressParts; ++index) {
        if (index > 0) {
            if (position == end || *position != '.')
                return false;
            ++position;
        }
        unsigned part = 0;
        const auto [stop, error] = std::from_chars(position, end, part);
        if (error != std::errc() || stop == position || part > maxByte)
            return false;
        address = (address << bitsPerByte) | part;
        position = stop;
    }
    if (position != end)
        return false;
    result = address;
    return true;
}

std::uint32_t HostResolver::resolve(const std::string &host)
{
    if (isLocalhost(host))
        return loopbackAddress;
    std::uint32_t address = 0;
    if (parseDotted(host, address))
        return address;

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const int status = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (status != 0)
        throw SocketError::fromLookupFailure(status);
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(found, &::freeaddrinfo);
    for (const addrinfo *entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET)
            return ntohl(reinterpret_cast<const sockaddr_in *>(entry->ai_addr)->sin_addr.s_addr);
    }
    throw SocketError::fromLookupFailure(EAI_NODATA);
}
