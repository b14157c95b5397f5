#pragma once

#include "transfer/ftp/ftperror.h"

#include <string>

// The server closed the control connection, or a command was issued while not connected.
// A server that says so first with a 421 reply gets its line as the message.
class ConnectionClosed : public FtpError
{
public:
    ConnectionClosed() : FtpError("Connection Closed Gracefully.", FtpFault::ConnectionLost) {}
    explicit ConnectionClosed(const std::string &serverLine) : FtpError(serverLine, FtpFault::ServerEndedConnection) {}
};
