#pragma once

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>

// What went wrong, as far as the user is concerned: the transfer window words each kind in
// Japanese (ftpErrorText) and follows it with what() where that is the server's or the
// protocol's own text.
enum class FtpFault {
    Other, // what() alone says it
    ServerReply,
    ConnectionLost,
    ServerEndedConnection, // a 421 reply
    Socket,
    ReplyTimeout,
    CommandTimeout,
    AcceptTimeout,
    IdleTimeout,
    Cancelled,
    Protocol,
    LineBreakInName,
    ShortDownload,
    EncryptionRefused,  // the server answered AUTH TLS with a refusal
    EncryptionRequired, // the server refused a plain login because it wants FTPS (a FtpReplyError)
    Tls,                // the TLS handshake or a TLS record failed
    Certificate,        // the server's certificate failed the check (FtpCertificateError)
    TruncatedDownload,  // a protected data connection ended without the TLS close
    LocalOpen,
    LocalRead,
    LocalWrite,
    LocalCreate,
    LocalReplace,
    LocalLink,
    LocalPermissions,
};

// An upload that failed after the server had begun to write the file under its real name.
struct UnfinishedUpload
{
    std::string remoteName;
    bool removed = false; // the cut file was deleted again; false when it may still be there
};

// Base of every failure the FTP client reports. what() keeps the client's message as the
// protocol has always worded it (a server's reply line, "Socket Error # 10061\r\nConnection
// refused."); fault(), subject(), limit() and systemError() tell the window what to say.
class FtpError : public std::runtime_error
{
public:
    explicit FtpError(const std::string &message,
                      FtpFault fault = FtpFault::Other,
                      std::string subject = {},
                      std::chrono::milliseconds limit = {},
                      int systemError = 0)
        : std::runtime_error(message), m_fault(fault), m_subject(std::move(subject)), m_limit(limit),
          m_systemError(systemError)
    {}

    FtpFault fault() const { return m_fault; }
    // The name or path the failure is about, as raw bytes; empty when none.
    const std::string &subject() const { return m_subject; }
    // The time limit that ran out, for the timeouts.
    std::chrono::milliseconds limit() const { return m_limit; }
    // The errno value of a failed local file operation; 0 for the others.
    int systemError() const { return m_systemError; }

    const std::optional<UnfinishedUpload> &unfinishedUpload() const { return m_unfinishedUpload; }
    void setUnfinishedUpload(UnfinishedUpload upload) { m_unfinishedUpload = std::move(upload); }

private:
    FtpFault m_fault;
    std::string m_subject;
    std::chrono::milliseconds m_limit;
    int m_systemError;
    std::optional<UnfinishedUpload> m_unfinishedUpload;
};
