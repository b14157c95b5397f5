#pragma once

#include "transfer/ftp/ftpcertificate.h"
#include "transfer/ftp/ftpclient.h"
#include "transfer/remoteitem.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The FTP side of the transfer window's remote commands, as functions of the client: they run
// on the session's worker thread and hand back plain data the window shows. The window's own
// code and the benchmark list folders through the same functions.
namespace RemoteJobs {

struct Login
{
    QString host;
    quint16 port = 21;
    QString user;
    QString password;
    QString folder; // entered after login when not empty
    FtpSecurity security = FtpSecurity::Plain;
    FtpDataMode dataMode = FtpDataMode::Auto;
    // Fingerprints of certificates the user accepted although they fail the check.
    QStringList acceptedCertificates;
};

struct ConnectOutcome
{
    // Why connecting, logging in or entering the saved folder failed; empty when all went.
    QString failure;
    QByteArray homeDir;
    // The folder listed once connected; none when the connection did not stand.
    std::optional<RemoteFolder> folder;
    // The certificate that failed the check, when that is why the connection did not stand:
    // the window asks the user about it and may connect again.
    std::optional<FtpCertificate> certificate;
    // The server refused a plain login because it wants FTPS: the window offers to switch.
    bool encryptionRequired = false;
    // The certificate an FTPS connection stands on, once it stood.
    std::optional<FtpCertificate> serverCertificate;
};

// Connects, notes the login folder, enters the saved folder, and lists where it stands. A
// failure before the listing is reported in the outcome (the connection may still stand); a
// failure of the listing itself is thrown.
ConnectOutcome connectAndList(FtpClient &client, const Login &login, const FtpClient::Progress &progress = {});

// What connecting runs on the worker thread: connectAndList, or a test's stand-in.
using Connector = std::function<ConnectOutcome(FtpClient &, const Login &, const FtpClient::Progress &)>;

// PWD, then the listing of the current folder, parsed.
RemoteFolder readCurrentFolder(FtpClient &client, const FtpClient::Progress &progress = {});

// The bytes to send for a folder typed or stored as text: UTF-8, or CP932 where the server
// refuses the UTF-8 form and CP932 can hold it.
void changeDirTo(FtpClient &client, const QString &folder);

std::string bytes(const QByteArray &array);

} // namespace RemoteJobs

Q_DECLARE_METATYPE(RemoteJobs::ConnectOutcome)
