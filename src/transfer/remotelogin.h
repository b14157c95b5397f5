#pragma once

#include "transfer/connectionmethod.h"

#include <QMetaType>
#include <QString>
#include <QStringList>

// Where and as whom the transfer window connects, whatever the protocol.
struct RemoteLogin
{
    QString host;
    quint16 port = 21;
    QString user;
    QString password;
    QString folder; // entered after login when not empty
    ConnectionMethod security = ConnectionMethod::Ftp;
    DataConnectionMode dataMode = DataConnectionMode::Auto;
    // SFTP: a private key file (OpenSSH or PEM form) tried after the SSH agent, and its
    // passphrase; empty for none.
    QString keyFile;
    QString keyPassphrase;
    // Fingerprints of server identities the user accepted although they fail the check.
    QStringList acceptedCertificates;
};

Q_DECLARE_METATYPE(RemoteLogin)
