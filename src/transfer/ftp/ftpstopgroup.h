#pragma once

#include <mutex>
#include <vector>

class FtpClient;

// The clients of one connection and of those a job opened beside it: a stop reaches them all,
// including one that joins after the stop. Callable from any thread.
class FtpStopGroup
{
public:
    void add(FtpClient &client);
    void remove(FtpClient &client);
    // Interrupts every client of the group, and each that joins until clear().
    void interrupt();
    void clear();

private:
    std::mutex m_mutex;
    std::vector<FtpClient *> m_clients;
    bool m_raised = false;
};
