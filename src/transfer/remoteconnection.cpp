#include "transfer/remoteconnection.h"

void RemoteConnection::setOnConnected(std::function<void()> handler)
{
    m_ftp.setOnConnected(handler);
    m_sftp.setOnConnected(std::move(handler));
}

void RemoteConnection::setOnLoggedIn(std::function<void()> handler)
{
    m_ftp.setOnLoggedIn(handler);
    m_sftp.setOnLoggedIn(std::move(handler));
}

void RemoteConnection::setOnDisconnected(std::function<void()> handler)
{
    m_ftp.setOnDisconnected(handler);
    m_sftp.setOnDisconnected(std::move(handler));
}

void RemoteConnection::setTimeLimits(const TransferTimeLimits &limits)
{
    m_ftp.setTimeLimits(limits);
    m_sftp.setTimeLimits(limits);
}

void RemoteConnection::connect(const RemoteLogin &login)
{
    RemoteFiles *wanted = login.security == ConnectionMethod::Sftp ? static_cast<RemoteFiles *>(&m_sftp) : &m_ftp;
    if (wanted != m_active && m_active->isConnected())
        m_active->quit();
    m_active = wanted;
    m_active->connect(login);
}

void RemoteConnection::interrupt()
{
    m_ftp.interrupt();
    m_sftp.interrupt();
}

void RemoteConnection::resetInterrupt()
{
    m_ftp.resetInterrupt();
    m_sftp.resetInterrupt();
}
