#pragma once

#include "transfer/ftp/ftperror.h"

#include <chrono>
#include <string>

// A wait on the server ran past its time limit. A dead or stalled server must never
// freeze the editor, so every wait ends in this error instead.
class FtpTimeoutError : public FtpError
{
public:
    using FtpError::FtpError;

    // "30 seconds", "0.3 seconds": time limits are settable in milliseconds, but users
    // think in seconds.
    static std::string describe(std::chrono::milliseconds limit);
};
