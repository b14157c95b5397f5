#include "transfer/ftp/ftptimeouterror.h"

namespace {

std::string messageFor(FtpFault wait, std::chrono::milliseconds limit)
{
    const std::string time = FtpTimeoutError::describe(limit);
    switch (wait) {
    case FtpFault::CommandTimeout:
        return "The server did not take a command within " + time + ".";
    case FtpFault::AcceptTimeout:
        return "The server did not open the data connection within " + time + ".";
    case FtpFault::IdleTimeout:
        return "The data transfer stopped: nothing moved for " + time + ".";
    default:
        return "The server did not reply within " + time + ".";
    }
}

} // namespace

FtpTimeoutError::FtpTimeoutError(FtpFault wait, std::chrono::milliseconds limit)
    : FtpError(messageFor(wait, limit), wait, {}, limit)
{}

std::string FtpTimeoutError::describe(std::chrono::milliseconds limit)
{
    constexpr long long millisecondsPerSecond = 1000;
    constexpr long long millisecondsPerTenth = 100;
    const long long ms = limit.count();
    std::string text = std::to_string(ms / millisecondsPerSecond);
    const long long tenths = (ms % millisecondsPerSecond) / millisecondsPerTenth;
    if (tenths != 0)
        text += "." + std::to_string(tenths);
    return text + (ms == millisecondsPerSecond ? " second" : " seconds");
}
