#pragma once

#include <QString>

#include <exception>

class FtpClient;

// Telling the user that the server ended the connection: a failure that is the server closing
// the control connection, or a 421 reply (the service is closing, RFC 959), which is taken as
// closed at once so that the window does not stay "connected" until the next command fails.
namespace ServerEnded {

// Whether error, met by a step that began connected, means the server ended the connection.
// After a 421 the client's side is closed too.
bool check(FtpClient &client, const std::exception &error);

// The failure's text, led by the sentence that says what happened and what to do, unless it
// already says so.
QString explain(const QString &failure);

} // namespace ServerEnded
