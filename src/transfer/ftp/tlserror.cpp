#include "transfer/ftp/tlserror.h"

#include <openssl/err.h>

FtpError tlsError(const std::string &text)
{
    std::string message = text;
    while (const unsigned long code = ERR_get_error()) {
        char reason[256] = {};
        ERR_error_string_n(code, reason, sizeof reason);
        message += "\r\n";
        message += reason;
    }
    return FtpError(message, FtpFault::Tls);
}
