#pragma once

#include "transfer/ftp/ftperror.h"

// The server broke the protocol in a way that leaves the reply stream unusable
// (an endless line, a control byte in a reply, a malformed passive-mode reply, an oversized
// listing).
class FtpProtocolError : public FtpError
{
public:
    explicit FtpProtocolError(const std::string &message) : FtpError(message, FtpFault::Protocol) {}
};
