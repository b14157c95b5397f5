#pragma once

#include "transfer/remotefiles.h"
#include "transfer/remoteitem.h"
#include "transfer/remotelogin.h"
#include "transfer/servercertificate.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>

#include <functional>
#include <optional>

// The server side of the transfer window's remote commands, as functions of its remote files: they run
// on the session's worker thread and hand back plain data the window shows. The window's own
// code and the benchmark list folders through the same functions.
namespace RemoteJobs {

using Login = RemoteLogin;

struct ConnectOutcome
{
    // Why connecting, logging in or entering the saved folder failed; empty when all went.
    QString failure;
    QByteArray homeDir;
    // The folder listed once connected; none when the connection did not stand.
    std::optional<RemoteFolder> folder;
    // The certificate that failed the check, when that is why the connection did not stand:
    // the window asks the user about it and may connect again.
    std::optional<ServerCertificate> certificate;
    // The server refused a plain login because it wants FTPS: the window offers to switch.
    bool encryptionRequired = false;
    // The certificate an FTPS connection stands on, once it stood.
    std::optional<ServerCertificate> serverCertificate;
};

// Connects, notes the login folder, enters the saved folder, and lists where it stands. A
// failure before the listing is reported in the outcome (the connection may still stand); a
// failure of the listing itself is thrown.
ConnectOutcome connectAndList(RemoteFiles &files, const Login &login, const RemoteFiles::Progress &progress = {});

// What connecting runs on the worker thread: connectAndList, or a test's stand-in.
using Connector = std::function<ConnectOutcome(RemoteFiles &, const Login &, const RemoteFiles::Progress &)>;

// The current folder, then its listing.
RemoteFolder readCurrentFolder(RemoteFiles &files, const RemoteFiles::Progress &progress = {});

// The bytes to send for a folder typed or stored as text: UTF-8, or CP932 where the server
// refuses the UTF-8 form and CP932 can hold it.
void changeDirTo(RemoteFiles &files, const QString &folder);
// The server's full path of that folder, by the same bytes; the current folder stays.
std::string resolveDir(RemoteFiles &files, const QString &folder);

std::string bytes(const QByteArray &array);

} // namespace RemoteJobs

Q_DECLARE_METATYPE(RemoteJobs::ConnectOutcome)
