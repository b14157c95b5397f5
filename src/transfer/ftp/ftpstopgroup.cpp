#include "transfer/ftp/ftpstopgroup.h"

#include "transfer/ftp/ftpclient.h"

#include <algorithm>

void FtpStopGroup::add(FtpClient &client)
{
    const std::lock_guard lock(m_mutex);
    m_clients.push_back(&client);
    if (m_raised)
        client.interrupt();
}

void FtpStopGroup::remove(FtpClient &client)
{
    const std::lock_guard lock(m_mutex);
    m_clients.erase(std::remove(m_clients.begin(), m_clients.end(), &client), m_clients.end());
}

void FtpStopGroup::interrupt()
{
    const std::lock_guard lock(m_mutex);
    m_raised = true;
    for (FtpClient *client : m_clients)
        client->interrupt();
}

void FtpStopGroup::clear()
{
    const std::lock_guard lock(m_mutex);
    m_raised = false;
}
