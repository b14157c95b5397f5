#pragma once

#include "transfer/ftp/ftperror.h"

#include <chrono>
#include <string>

// A wait on the server ran past its time limit. A dead or stalled server must never
// freeze the editor, so every wait ends in this error instead. The fault says which wait:
// ReplyTimeout, CommandTimeout, AcceptTimeout or IdleTimeout.
class FtpTimeoutError : public FtpError
{
public:
    FtpTimeoutError(FtpFault wait, std::chrono::milliseconds limit);

    // "30 seconds", "0.3 seconds": time limits are settable in milliseconds, but users
    // think in seconds.
    static std::string describe(std::chrono::milliseconds limit);
};
