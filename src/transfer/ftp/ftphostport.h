#pragma once

#include "transfer/ftp/ipv4endpoint.h"

#include <cstdint>
#include <string>

// The "h1,h2,h3,h4,p1,p2" form in which PORT commands and PASV replies carry an address.
class FtpHostPort
{
public:
    // "192,168,0,10,11,185" for 192.168.0.10 port 3001.
    static std::string format(const Ipv4Endpoint &endpoint);

    // Reads the six numbers of a "227" reply line: from between the first "(" and the
    // first ")" when the line has both, else from after its last blank. Throws
    // FtpProtocolError unless they are six integers 0 to 255 giving a port other than 0.
    static Ipv4Endpoint parsePassiveReply(const std::string &line);
};
