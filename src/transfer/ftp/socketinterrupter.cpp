#include "transfer/ftp/socketinterrupter.h"

#include "transfer/ftp/ftpcancellederror.h"
#include "transfer/ftp/ftperror.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

SocketInterrupter::SocketInterrupter() : m_fd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (m_fd < 0)
        throw FtpError("Cannot allocate socket.");
}

SocketInterrupter::~SocketInterrupter()
{
    ::close(m_fd);
}

void SocketInterrupter::raise()
{
    m_raised.store(true, std::memory_order_release);
    const std::uint64_t one = 1;
    // Only fails when the counter would overflow, and then it is readable anyway.
    [[maybe_unused]] const ssize_t written = ::write(m_fd, &one, sizeof one);
}

void SocketInterrupter::clear()
{
    // Drained first: a raise() landing in between leaves the descriptor readable, so the next
    // wait still ends at once; the other order could lose the wake-up.
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t drained = ::read(m_fd, &count, sizeof count);
    m_raised.store(false, std::memory_order_release);
}

void SocketInterrupter::check() const
{
    if (raised())
        throw FtpCancelledError();
}
