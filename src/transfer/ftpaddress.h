#pragma once

#include <QString>

#include <cstdint>

// The server a ホスト名 names: a host, and a port after a colon for servers that do not listen
// on 21 ("example.jp:2121"). Without a colon the port is 21, as every stored book expects.
struct FtpAddress
{
    QString host;
    std::uint16_t port = 21;

    // Throws UserError when the part after the colon is not a port number (1 to 65535).
    static FtpAddress parse(const QString &text);
};
