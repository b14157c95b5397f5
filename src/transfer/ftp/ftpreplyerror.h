#pragma once

#include "transfer/ftp/ftperror.h"

// A reply whose code the operation does not accept. Carries the code; the message is the
// reply's last line exactly as received (e.g. "550 index.html: No such file or directory.").
// Its fault is ServerReply unless the client knows better what the refusal means.
class FtpReplyError : public FtpError
{
public:
    FtpReplyError(int code, const std::string &lastLine, FtpFault fault = FtpFault::ServerReply)
        : FtpError(lastLine, fault), m_code(code)
    {}

    int code() const { return m_code; }

private:
    int m_code;
};
