#pragma once

#include "transfer/ftp/ftperror.h"
#include "transfer/remoteerrors.h"

// A reply whose code the operation does not accept. Carries the code; the message is the
// reply's last line exactly as received (e.g. "550 index.html: No such file or directory.").
// Its fault is ServerReply unless the client knows better what the refusal means.
class FtpReplyError : public FtpError, public RemoteRefusal
{
public:
    FtpReplyError(int code, const std::string &lastLine, FtpFault fault = FtpFault::ServerReply)
        : FtpError(lastLine, fault), m_code(code)
    {}

    int code() const { return m_code; }

    // 5xx: the server will answer the same again.
    bool permanent() const override { return m_code >= firstPermanentCode; }
    // 500 (unknown command), 502 (not implemented), 504 (not for this parameter).
    bool unsupported() const override
    {
        return m_code == unknownCommand || m_code == notImplemented || m_code == notImplementedForParameter;
    }
    bool wantsEncryption() const override { return fault() == FtpFault::EncryptionRequired; }

    static constexpr int firstPermanentCode = 500;
    static constexpr int unknownCommand = 500;
    static constexpr int notImplemented = 502;
    static constexpr int notImplementedForParameter = 504;

private:
    int m_code;
};
