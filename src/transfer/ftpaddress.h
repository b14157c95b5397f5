#pragma once

#include <QString>

#include <cstdint>

// The server a ホスト名 names: a host, and a port after a colon for servers that do not listen
// on 21 ("example.jp:2121"). Without a port the port is the protocol's own: 21 for FTP, as every
// stored book expects, 22 for SFTP. An
// IPv6 address holds colons of its own: bare ("::1") it is all host, and in brackets it may be
// followed by a port ("[::1]:2121").
struct FtpAddress
{
    QString host;
    std::uint16_t port = 21;

    // Throws UserError when the part after the colon is not a port number (1 to 65535), or
    // the brackets of an IPv6 address are not closed or hold no IPv6 address.
    static FtpAddress parse(const QString &text, std::uint16_t defaultPort = 21);
    // The form parse() reads back: "host:port", an IPv6 address in brackets.
    QString text() const;
};
