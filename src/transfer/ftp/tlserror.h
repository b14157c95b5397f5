#pragma once

#include "transfer/ftp/ftperror.h"

#include <string>

// An FtpError (FtpFault::Tls) with the given text followed by what OpenSSL says went wrong,
// which also empties OpenSSL's error queue of this thread for the next call.
FtpError tlsError(const std::string &text);
