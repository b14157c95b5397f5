#pragma once

#include <stdexcept>
#include <string>

// Base of every failure the FTP client reports. what() is the exact text the transfer
// window shows to the user, so callers never have to compose messages themselves.
class FtpError : public std::runtime_error
{
public:
    explicit FtpError(const std::string &message) : std::runtime_error(message) {}
};
