#pragma once

#include "transfer/remoteerrors.h"

#include <stdexcept>
#include <string>

// A failure of the SFTP connection: what() is the Japanese sentence to show, with the library's
// or the server's own words on a line of their own after it where there are any.
class SftpError : public std::runtime_error
{
public:
    explicit SftpError(const std::string &text, bool connectionLost = false)
        : std::runtime_error(text), m_connectionLost(connectionLost)
    {}
    // The connection is gone with it.
    bool connectionLost() const { return m_connectionLost; }

private:
    bool m_connectionLost;
};

// The server refused one file operation (no such file, no permission); the connection stands.
class SftpRefusedError : public SftpError, public RemoteRefusal
{
public:
    SftpRefusedError(const std::string &text, bool unsupported) : SftpError(text), m_unsupported(unsupported) {}
    bool permanent() const override { return true; }
    bool unsupported() const override { return m_unsupported; }

private:
    bool m_unsupported;
};

// The user's stop.
class SftpCancelledError : public SftpError, public RemoteCancelled
{
public:
    explicit SftpCancelledError(const std::string &text = "操作を中止しました。") : SftpError(text) {}
};

// The host key is not among those the user accepted.
class SftpHostKeyError : public SftpError, public RemoteUntrusted
{
public:
    explicit SftpHostKeyError(ServerCertificate key)
        : SftpError("サーバーの鍵（ホスト鍵）を確かめられなかったので接続しませんでした。"), m_key(std::move(key))
    {}
    const ServerCertificate &certificate() const override { return m_key; }

private:
    ServerCertificate m_key;
};
