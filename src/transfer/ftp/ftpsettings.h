#pragma once

#include "transfer/connectionmethod.h"
#include "transfer/transferlimits.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

enum class FtpTransferType {
    Binary,
    Ascii,
};

// Whether the control and data connections are protected. ExplicitTls never falls back to
// plain FTP: a server that refuses AUTH TLS is an error.
enum class FtpSecurity {
    Plain,
    ExplicitTls,
};

// How data connections are made (Auto: passive first, active only when passive is refused).
using FtpDataMode = DataConnectionMode;

// How long the client waits for the server before giving up with FtpTimeoutError.
using FtpTimeLimits = TransferTimeLimits;

// How a login went on an earlier connection of the same session to the same server.
enum class FtpKnownLogin {
    Unknown,
    UserAlone,       // the user name was enough
    UserAndPassword, // the server asked for the password
};

// What the transfer window sets before connecting.
struct FtpSettings
{
    static constexpr std::uint16_t defaultPort = 21;

    std::string host; // a name or a dotted IPv4 address; "localhost" in any case is 127.0.0.1
    std::uint16_t port = defaultPort;
    std::string user;
    std::string password;
    FtpDataMode dataMode = FtpDataMode::Active;
    FtpSecurity security = FtpSecurity::Plain;
    // A file of PEM certificates to trust instead of the system's; empty for the system's.
    std::string trustedCaFile;
    // SHA-256 fingerprints (FtpCertificate::fingerprint form) of server certificates the user
    // accepted although they fail the check; any other failing certificate ends connect()
    // with FtpCertificateError.
    std::vector<std::string> acceptedCertificates;
    FtpTransferType transferType = FtpTransferType::Binary;
    // SYST after the login, as the window's own connection asks; its answer is not used, so a
    // connection made beside it for a job leaves it out.
    bool askSystem = true;
    // Known: the login and the commands after it go out in one write, a round trip or two
    // saved on every connection made beside the window's. Unknown for the window's own: a
    // password must not leave before the server has said it takes a plain-FTP login.
    FtpKnownLogin knownLogin = FtpKnownLogin::Unknown;
    // In active mode, take the data connection only from the control connection's peer, so
    // nobody else can slip a file in or read one out. Off only for servers whose data
    // connections come from another address of the same machine.
    bool dataOnlyFromServer = true;
    FtpTimeLimits timeLimits;
};
