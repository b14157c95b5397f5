#pragma once

#include <atomic>

// Lets another thread break every socket wait of one client. It owns an eventfd that the
// waits poll beside their socket: raising it wakes a poll at once, and no socket descriptor is
// ever touched from the other thread, so a socket closed (and its number reused) meanwhile is
// never at risk. raise() is the only call that may come from another thread.
class SocketInterrupter
{
public:
    SocketInterrupter();
    ~SocketInterrupter();
    SocketInterrupter(const SocketInterrupter &) = delete;
    SocketInterrupter &operator=(const SocketInterrupter &) = delete;

    void raise();
    // Ready for the next operation; only from the thread that runs the waits.
    void clear();
    bool raised() const { return m_raised.load(std::memory_order_acquire); }
    // Readable while raised.
    int fd() const { return m_fd; }

    // Throws FtpCancelledError when raised.
    void check() const;

private:
    int m_fd = -1;
    std::atomic<bool> m_raised{false};
};
