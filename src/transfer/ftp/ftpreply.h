#pragma once

#include <string>
#include <vector>

// One reply of the server: its trimmed, non-empty lines and the code of the last line
// (0 when that line does not start with a number).
struct FtpReply
{
    int code = 0;
    std::vector<std::string> lines;

    const std::string &lastLine() const
    {
        static const std::string none;
        return lines.empty() ? none : lines.back();
    }
};
