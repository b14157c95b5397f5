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
// The same under a headline that names what the step was about ("index.html をアップロード
// できませんでした"), on its own line: an unfinished upload is not named again, so the page the
// user chose is named once, and never a temporary name it was sent under. An empty headline
// gives the text alone.
QString ftpErrorText(const QString &headline, const std::exception &error);
