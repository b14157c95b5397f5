#include "transfer/ftp/ftphostport.h"

#include "transfer/ftp/ftpprotocolerror.h"
#include "transfer/ftp/ftpreplyreader.h"

#include <array>
#include <charconv>

namespace {

constexpr int bitsPerByte = 8;
constexpr unsigned byteMask = 0xFF;
constexpr int addressParts = 4;
constexpr int hostPortParts = 6;

[[noreturn]] void throwMalformed(const std::string &line)
{
    throw FtpProtocolError("The server sent a malformed passive mode reply: " + line);
}

[[noreturn]] void throwMalformedExtended(const std::string &line)
{
    throw FtpProtocolError("The server sent a malformed extended passive mode reply: " + line);
}

} // namespace

std::string FtpHostPort::format(const Ipv4Endpoint &endpoint)
{
    std::string text;
    for (int index = addressParts - 1; index >= 0; --index)
        text += std::to_string((endpoint.address >> (index * bitsPerByte)) & byteMask) + ",";
    return text + std::to_string(endpoint.port >> bitsPerByte) + "," + std::to_string(endpoint.port & byteMask);
}

Ipv4Endpoint FtpHostPort::parsePassiveReply(const std::string &line)
{
    const std::string reply = FtpReplyReader::trimmed(line);
    std::string numbers;
    const std::size_t open = reply.find('(');
    const std::size_t close = reply.find(')');
    if (open != std::string::npos && close != std::string::npos) {
        if (close < open)
            throwMalformed(reply);
        numbers = reply.substr(open + 1, close - open - 1);
    } else {
        const std::size_t blank = reply.rfind(' ');
        numbers = blank == std::string::npos ? reply : reply.substr(blank + 1);
    }

    std::array<unsigned, hostPortParts> values{};
    std::size_t position = 0;
    for (int index = 0; index < hostPortParts; ++index) {
        const std::size_t comma = numbers.find(',', position);
        const bool lastPart = index == hostPortParts - 1;
        if (lastPart != (comma == std::string::npos))
            throwMalformed(reply);
        const std::string part = FtpReplyReader::trimmed(numbers.substr(position, comma - position));
        const char *begin = part.data();
        const char *end = begin + part.size();
        const auto [stop, error] = std::from_chars(begin, end, values[index]);
        if (part.empty() || error != std::errc() || stop != end || values[index] > byteMask)
            throwMalformed(reply);
        position = comma + 1;
    }

    Ipv4Endpoint endpoint;
    for (int index = 0; index < addressParts; ++index)
        endpoint.address = (endpoint.address << bitsPerByte) | values[index];
    endpoint.port = static_cast<std::uint16_t>((values[addressParts] << bitsPerByte) | values[addressParts + 1]);
    if (endpoint.port == 0)
        throwMalformed(reply);
    return endpoint;
}

std::string FtpHostPort::formatExtended(const NetworkEndpoint &endpoint)
{
    const char *family = endpoint.isIpv6() ? "2" : "1";
    return std::string("|") + family + "|" + endpoint.addressText() + "|" + std::to_string(endpoint.port()) + "|";
}

std::uint16_t FtpHostPort::parseExtendedPassiveReply(const std::string &line)
{
    constexpr std::size_t leadingDelimiters = 3;
    constexpr unsigned maxPort = 65535;
    const std::string reply = FtpReplyReader::trimmed(line);
    const std::size_t open = reply.find('(');
    const std::size_t close = open == std::string::npos ? std::string::npos : reply.find(')', open);
    if (close == std::string::npos || close - open < leadingDelimiters + 3)
        throwMalformedExtended(reply);
    const std::string inside = reply.substr(open + 1, close - open - 1);
    const char delimiter = inside.front();
    if (inside.compare(0, leadingDelimiters, std::string(leadingDelimiters, delimiter)) != 0
        || inside.back() != delimiter)
        throwMalformedExtended(reply);
    const char *begin = inside.data() + leadingDelimiters;
    const char *end = inside.data() + inside.size() - 1;
    unsigned port = 0;
    const auto [stop, error] = std::from_chars(begin, end, port);
    if (begin == end || error != std::errc() || stop != end || port == 0 || port > maxPort)
        throwMalformedExtended(reply);
    return static_cast<std::uint16_t>(port);
}
