#pragma once

#include "transfer/ftp/ftperror.h"

#include <string>

// A failure of the socket layer or of a host name lookup, reported with the Windows Sockets
// error number the program has always shown ("Socket Error # 10061\r\nConnection refused.").
// Owns the mapping from POSIX errno values onto those numbers and the text for each number.
class SocketError : public FtpError
{
public:
    explicit SocketError(int windowsCode);

    // Builds the error for the errno value a failed socket call left behind.
    static SocketError fromErrno(int posixErrno);
    // Builds the error for a getaddrinfo() failure code.
    static SocketError fromLookupFailure(int gaiCode);

    static int windowsCodeForErrno(int posixErrno);
    // Empty for numbers outside the table.
    static std::string textFor(int windowsCode);
    static std::string messageFor(int windowsCode);

    int code() const { return m_code; }

private:
    int m_code;
};
