#pragma once

#include <QString>

#include <exception>

// The text to show for any failure of an FTP job. The client's messages carry server reply
// lines and names as raw bytes: they are read as UTF-8 when valid, else as CP932, and control
// characters a server could use to garble the message box are removed (a CR LF line break
// of the client's own texts stays).
QString ftpErrorText(const std::exception &error);
