#include "transfer/contenthash.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

namespace ContentHash {

namespace {

struct StateDeleter
{
    void operator()(XXH3_state_t *state) const { XXH3_freeState(state); }
};

struct FileCloser
{
    int fd = -1;
    ~FileCloser()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

std::uint64_t ofBytes(const QByteArray &bytes)
{
    return XXH3_64bits(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::optional<std::uint64_t> ofFile(const QByteArray &path)
{
    FileCloser file{::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0)
        return std::nullopt;
    struct stat status
    {};
    if (::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    const std::unique_ptr<XXH3_state_t, StateDeleter> state(XXH3_createState());
    if (!state || XXH3_64bits_reset(state.get()) != XXH_OK)
        return std::nullopt;
    std::array<char, 64 * 1024> buffer{};
    for (;;) {
        const ssize_t got = ::read(file.fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        XXH3_64bits_update(state.get(), buffer.data(), static_cast<std::size_t>(got));
    }
    return XXH3_64bits_digest(state.get());
}

} // namespace ContentHash
