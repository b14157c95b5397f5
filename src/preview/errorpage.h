#pragma once

#include <QString>

// The page the preview pane shows when a page cannot be loaded, in place of the engine's own
// English error page: a short Japanese explanation that names the address. It only builds the
// HTML; the engine shows it.
namespace ErrorPage {

enum class Cause {
    Offline,           // the pane is offline and the page would have to come from the network
    FileNotFound,      // a local file that does not exist
    ConnectionRefused, // the server's machine answered, but nothing listens at that port
    HostNotFound,      // the server's name is unknown
    NoAnswer,          // the server did not answer in time
    HttpStatus,        // the server answered with an error status and no page of its own
    Other,
};

// The cause behind one of Chromium's network error numbers (negative, as the engine reports
// them); numbers without a cause of their own are Other.
Cause causeOfNetError(int netError);

// A complete HTML page for the failure. The address is shown as text, never as markup; code
// is the HTTP status for HttpStatus and the engine's error number for Other (0: none shown).
QString html(Cause cause, const QString &address, int code = 0);

} // namespace ErrorPage
