#pragma once

#include <QString>

#include <exception>

// The text to show for any failure of an FTP job. A Japanese sentence says what happened and
// what to do; after a line break follows the server's reply line or the protocol's own text
// ("Socket Error # 10061", "Connection Closed Gracefully.") where there is one, so nothing the
// server or the client says is lost. An upload the server had begun is named first, with
// whether its cut file was removed. The client's messages carry reply lines and names as raw
// bytes: they are read as UTF-8 when valid, else as CP932, and control characters a server
// could use to garble the message box are removed (CR LF line breaks stay).
// The sentences end in "。", so the error box must not add a "." after them.
QString ftpErrorText(const std::exception &error);
