#pragma once

#include "transfer/ftp/ftperror.h"

// The server closed the control connection, or a command was issued while not connected.
class ConnectionClosed : public FtpError
{
public:
    ConnectionClosed() : FtpError("Connection Closed Gracefully.") {}
};
