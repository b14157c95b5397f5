#pragma once

#include "transfer/ftp/ftperror.h"

// A reply whose code the operation does not accept. Carries the code; the message is the
// reply's last line exactly as received (e.g. "550 index.html: No such file or directory.").
class FtpReplyError : public FtpError
{
public:
    FtpReplyError(int code, const std::string &lastLine) : FtpError(lastLine, FtpFault::ServerReply), m_code(code) {}

    int code() const { return m_code; }

private:
    int m_code;
};
