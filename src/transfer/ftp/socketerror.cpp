#include "transfer/ftp/socketerror.h"

#include <array>
#include <cerrno>
#include <netdb.h>
#include <string_view>

namespace {

struct ErrnoMapping
{
    int posixErrno;
    int windowsCode;
};

// POSIX errno values that mean the same as a Windows Sockets number. Values without a
// counterpart are reported under their own number (and then have no text).
constexpr std::array errnoMappings{
    ErrnoMapping{EINTR, 10004},
    ErrnoMapping{EBADF, 10009},
    ErrnoMapping{EACCES, 10013},
    ErrnoMapping{EFAULT, 10014},
    ErrnoMapping{EINVAL, 10022},
    ErrnoMapping{EMFILE, 10024},
    ErrnoMapping{EWOULDBLOCK, 10035},
    ErrnoMapping{EINPROGRESS, 10036},
    ErrnoMapping{EALREADY, 10037},
    ErrnoMapping{ENOTSOCK, 10038},
    ErrnoMapping{EDESTADDRREQ, 10039},
    ErrnoMapping{EMSGSIZE, 10040},
    ErrnoMapping{EPROTOTYPE, 10041},
    ErrnoMapping{ENOPROTOOPT, 10042},
    ErrnoMapping{EPROTONOSUPPORT, 10043},
    ErrnoMapping{ESOCKTNOSUPPORT, 10044},
    ErrnoMapping{EOPNOTSUPP, 10045},
    ErrnoMapping{EPFNOSUPPORT, 10046},
    ErrnoMapping{EAFNOSUPPORT, 10047},
    ErrnoMapping{EADDRINUSE, 10048},
    ErrnoMapping{EADDRNOTAVAIL, 10049},
    ErrnoMapping{ENETDOWN, 10050},
    ErrnoMapping{ENETUNREACH, 10051},
    ErrnoMapping{ENETRESET, 10052},
    ErrnoMapping{ECONNABORTED, 10053},
    ErrnoMapping{ECONNRESET, 10054},
    ErrnoMapping{ENOBUFS, 10055},
    ErrnoMapping{EISCONN, 10056},
    ErrnoMapping{ENOTCONN, 10057},
    ErrnoMapping{ESHUTDOWN, 10058},
    // Writing to a connection the peer has shut down: Windows reports this as 10058.
    ErrnoMapping{EPIPE, 10058},
    ErrnoMapping{ETOOMANYREFS, 10059},
    ErrnoMapping{ETIMEDOUT, 10060},
    ErrnoMapping{ECONNREFUSED, 10061},
    ErrnoMapping{ELOOP, 10062},
    ErrnoMapping{ENAMETOOLONG, 10063},
    ErrnoMapping{EHOSTDOWN, 10064},
    ErrnoMapping{EHOSTUNREACH, 10065},
    ErrnoMapping{ENOTEMPTY, 10066},
};

struct CodeText
{
    int windowsCode;
    std::string_view text;
};

constexpr std::array codeTexts{
    CodeText{10004, "Interrupted system call."},
    CodeText{10009, "Bad file number."},
    CodeText{10013, "Access denied."},
    CodeText{10014, "Bad address."},
    CodeText{10022, "Invalid argument."},
    CodeText{10024, "Too many open files."},
    CodeText{10035, "Operation would block. "},
    CodeText{10036, "Operation now in progress."},
    CodeText{10037, "Operation already in progress."},
    CodeText{10038, "Socket operation on non-socket."},
    CodeText{10039, "Destination address required."},
    CodeText{10040, "Message too long."},
    CodeText{10041, "Protocol wrong type for socket."},
    CodeText{10042, "Bad protocol option."},
    CodeText{10043, "Protocol not supported."},
    CodeText{10044, "Socket type not supported."},
    CodeText{10045, "Operation not supported on socket."},
    CodeText{10046, "Protocol family not supported."},
    CodeText{10047, "Address family not supported by protocol family."},
    CodeText{10048, "Address already in use."},
    CodeText{10049, "Cannot assign requested address."},
    CodeText{10050, "Network is down."},
    CodeText{10051, "Network is unreachable."},
    CodeText{10052, "Net dropped connection or reset."},
    CodeText{10053, "Software caused connection abort."},
    CodeText{10054, "Connection reset by peer."},
    CodeText{10055, "No buffer space available."},
    CodeText{10056, "Socket is already connected."},
    CodeText{10057, "Socket is not connected."},
    CodeText{10058, "Cannot send or receive after socket is closed."},
    CodeText{10059, "Too many references, cannot splice."},
    CodeText{10060, "Connection timed out."},
    CodeText{10061, "Connection refused."},
    CodeText{10062, "Too many levels of symbolic links."},
    CodeText{10063, "File name too long."},
    CodeText{10064, "Host is down."},
    CodeText{10065, "No route to host."},
    CodeText{10066, "Directory not empty"},
};

// Windows Sockets numbers for failed name lookups.
constexpr int hostNotFound = 11001;
constexpr int tryAgain = 11002;
constexpr int noRecovery = 11003;
constexpr int noData = 11004;

} // namespace

SocketError::SocketError(int windowsCode) : FtpError(messageFor(windowsCode), FtpFault::Socket), m_code(windowsCode)
{}

SocketError SocketError::fromErrno(int posixErrno)
{
    return SocketError(windowsCodeForErrno(posixErrno));
}

SocketError SocketError::fromLookupFailure(int gaiCode)
{
    switch (gaiCode) {
    case EAI_AGAIN:
        return SocketError(tryAgain);
    case EAI_FAIL:
        return SocketError(noRecovery);
    case EAI_NODATA:
        return SocketError(noData);
    case EAI_SYSTEM:
        return fromErrno(errno);
    default:
        return SocketError(hostNotFound);
    }
}

int SocketError::windowsCodeForErrno(int posixErrno)
{
    for (const ErrnoMapping &mapping : errnoMappings) {
        if (mapping.posixErrno == posixErrno)
            return mapping.windowsCode;
    }
    return posixErrno;
}

std::string SocketError::textFor(int windowsCode)
{
    for (const CodeText &entry : codeTexts) {
        if (entry.windowsCode == windowsCode)
            return std::string(entry.text);
    }
    return {};
}

std::string SocketError::messageFor(int windowsCode)
{
    return "Socket Error # " + std::to_string(windowsCode) + "\r\n" + textFor(windowsCode);
}
