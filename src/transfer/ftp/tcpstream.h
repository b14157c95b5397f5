#pragma once

#include "transfer/ftp/bytestream.h"
#include "transfer/ftp/tcpsocket.h"

// Plain FTP: the bytes go over the TCP connection as they are.
class TcpStream : public ByteStream
{
public:
    explicit TcpStream(TcpSocket socket) : m_socket(std::move(socket)) {}

    bool isOpen() const override { return m_socket.isOpen(); }
    void close() override { m_socket.close(); }
    std::optional<std::size_t> receiveSome(char *buffer, std::size_t capacity, const Deadline &deadline) override
    {
        return m_socket.receiveSome(buffer, capacity, deadline);
    }
    bool sendAll(const char *data, std::size_t size, std::chrono::milliseconds idleLimit, UploadWatch *watch) override
    {
        return m_socket.sendAll(data, size, idleLimit, watch);
    }
    std::uint64_t bytesSent() const override { return m_socket.bytesSent(); }
    bool hasBuffered() const override { return false; }
    bool waitReadable(const Deadline &deadline) override { return m_socket.waitReadable(deadline); }
    TcpSocket &socket() override { return m_socket; }
    // Hands the connection over, e.g. to TLS once the server agreed to it.
    TcpSocket release() { return std::move(m_socket); }

private:
    TcpSocket m_socket;
};
