#include "transfer/ftp/ftptimeouterror.h"

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
