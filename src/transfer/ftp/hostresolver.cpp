#include "transfer/ftp/hostresolver.h"

#include "transfer/ftp/ftpcancellederror.h"
#include "transfer/ftp/socketerror.h"
#include "transfer/ftp/socketinterrupter.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

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

// One getaddrinfo() call on a thread of its own, shared with the thread that waits for it so
// that either may go first. The eventfd becomes readable once the answer is in.
struct Lookup
{
    Lookup() : doneFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
    {
        if (doneFd < 0)
            throw FtpError("Cannot allocate socket.");
    }
    ~Lookup() { ::close(doneFd); }
    Lookup(const Lookup &) = delete;
    Lookup &operator=(const Lookup &) = delete;

    void run(const std::string &host)
    {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_ADDRCONFIG;
        addrinfo *result = nullptr;
        const int code = ::getaddrinfo(host.c_str(), nullptr, &hints, &result);
        const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(result, &::freeaddrinfo);
        const std::lock_guard lock(mutex);
        status = code;
        for (const addrinfo *entry = result; code == 0 && entry != nullptr; entry = entry->ai_next) {
            const NetworkEndpoint endpoint(entry->ai_addr, entry->ai_addrlen);
            if (!endpoint.isEmpty())
                found.push_back(endpoint);
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(doneFd, &one, sizeof one);
    }

    // False when the deadline passed first; throws FtpCancelledError when interrupted.
    bool wait(const Deadline &deadline, const SocketInterrupter *interrupter) const
    {
        pollfd entries[2] = {{doneFd, POLLIN, 0}, {interrupter != nullptr ? interrupter->fd() : -1, POLLIN, 0}};
        for (;;) {
            const int ready = ::poll(entries, 2, deadline.remainingMilliseconds());
            if (ready < 0 && errno == EINTR)
                continue;
            if (entries[1].revents != 0)
                throw FtpCancelledError();
            return ready > 0;
        }
    }

    int doneFd;
    std::mutex mutex;
    int status = 0;
    std::vector<NetworkEndpoint> found;
};

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

std::vector<NetworkEndpoint> HostResolver::resolve(const std::string &host,
                                                   std::uint16_t port,
                                                   const Deadline &deadline,
                                                   const SocketInterrupter *interrupter)
{
    if (interrupter != nullptr)
        interrupter->check();
    if (isLocalhost(host))
        return {NetworkEndpoint(Ipv4Endpoint{loopbackAddress, port})};
    std::uint32_t address = 0;
    if (parseDotted(host, address))
        return {NetworkEndpoint(Ipv4Endpoint{address, port})};
    const NetworkEndpoint literal = NetworkEndpoint::fromLiteral(host, port);
    if (!literal.isEmpty())
        return {literal};

    const auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host] { lookup->run(host); }).detach();
    if (!lookup->wait(deadline, interrupter))
        throw SocketError::fromLookupFailure(EAI_AGAIN);
    const std::lock_guard lock(lookup->mutex);
    if (lookup->status != 0)
        throw SocketError::fromLookupFailure(lookup->status);
    std::vector<NetworkEndpoint> endpoints;
    for (const NetworkEndpoint &found : lookup->found)
        endpoints.push_back(found.withPort(port));
    if (endpoints.empty())
        throw SocketError::fromLookupFailure(EAI_NODATA);
    return endpoints;
}
