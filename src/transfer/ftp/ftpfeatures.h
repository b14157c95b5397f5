#pragma once

#include <string>
#include <string_view>
#include <vector>

// What a server offers beyond RFC 959, as its answer to FEAT (RFC 2389) lists it: the
// commands the client may use on it and the facts its machine listings (RFC 3659) can carry.
struct FtpFeatures
{
    bool modificationTime = false; // MDTM
    bool machineList = false;      // MLST, and with it MLSD
    // The facts MLST names, in lower case, and those of them the server sends unasked ("*").
    std::vector<std::string> facts;
    std::vector<std::string> factsSent;

    // The lines of a 211 reply, its first and last line included.
    static FtpFeatures parse(const std::vector<std::string> &lines);

    bool offersFact(std::string_view fact) const;
    bool sendsFact(std::string_view fact) const;
};
