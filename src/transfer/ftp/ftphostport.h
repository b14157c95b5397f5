#pragma once

#include "transfer/ftp/ipv4endpoint.h"
#include "transfer/ftp/networkendpoint.h"

#include <cstdint>
#include <string>

// The forms in which data addresses travel: "h1,h2,h3,h4,p1,p2" in PORT commands and PASV
// replies, "|1|addr|port|" or "|2|addr|port|" in EPRT commands and "(|||port|)" in EPSV replies.
class FtpHostPort
{
public:
    // "192,168,0,10,11,185" for 192.168.0.10 port 3001.
    static std::string format(const Ipv4Endpoint &endpoint);

    // Reads the six numbers of a "227" reply line: from between the first "(" and the
    // first ")" when the line has both, else from after its last blank. Throws
    // FtpProtocolError unless they are six integers 0 to 255 giving a port other than 0.
    static Ipv4Endpoint parsePassiveReply(const std::string &line);

    // "|2|::1|3001|" for [::1]:3001.
    static std::string formatExtended(const NetworkEndpoint &endpoint);
    // The port of a "229" reply: between the first "(" and the next ")", three equal
    // delimiters, the port and the delimiter again. Throws FtpProtocolError unless it is a
    // port other than 0.
    static std::uint16_t parseExtendedPassiveReply(const std::string &line);
};
