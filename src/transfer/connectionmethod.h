#pragma once

// How a site is connected to (接続方式).
enum class ConnectionMethod {
    Ftp,  // plain FTP, nothing encrypted
    Ftps, // FTP with explicit TLS; never falls back to plain FTP
    Sftp, // SFTP over SSH
};

// How FTP data connections are made. Auto tries passive mode (EPSV, then PASV) and turns to
// active mode only when the server refuses passive mode.
enum class DataConnectionMode {
    Active,
    Passive,
    Auto,
};
