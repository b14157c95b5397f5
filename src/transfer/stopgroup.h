#pragma once

#include <algorithm>
#include <mutex>
#include <vector>

// The clients of one connection and of those a job opened beside it: a stop reaches them all,
// including one that joins after the stop. Callable from any thread. Client: anything with an
// interrupt() that may be called from another thread.
template<typename Client>
class StopGroup
{
public:
    void add(Client &client)
    {
        const std::lock_guard lock(m_mutex);
        m_clients.push_back(&client);
        if (m_raised)
            client.interrupt();
    }

    void remove(Client &client)
    {
        const std::lock_guard lock(m_mutex);
        m_clients.erase(std::remove(m_clients.begin(), m_clients.end(), &client), m_clients.end());
    }

    // Interrupts every client of the group, and each that joins until clear().
    void interrupt()
    {
        const std::lock_guard lock(m_mutex);
        m_raised = true;
        for (Client *client : m_clients)
            client->interrupt();
    }

    void clear()
    {
        const std::lock_guard lock(m_mutex);
        m_raised = false;
    }

private:
    std::mutex m_mutex;
    std::vector<Client *> m_clients;
    bool m_raised = false;
};
