#pragma once

#include "transfer/ftp/bytestream.h"
#include "transfer/ftp/deadline.h"
#include "transfer/ftp/ftpcertificate.h"
#include "transfer/ftp/ftpfeatures.h"
#include "transfer/ftp/ftpreply.h"
#include "transfer/ftp/ftpreplyreader.h"
#include "transfer/ftp/ftpsettings.h"
#include "transfer/ftp/ftpstep.h"
#include "transfer/ftp/networkendpoint.h"
#include "transfer/ftp/socketinterrupter.h"
#include "transfer/ftp/tcpsocket.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class FtpDataConnection;
class TlsContext;
class UploadWatch;

// The FTP client the transfer window owns: one control connection, login, single commands
// checked against the reply codes each one accepts, and one data connection at a time for
// listings, downloads and uploads, plain or over TLS (explicit FTPS) as settings().security
// says, in the data mode settings().dataMode asks for. Every call blocks until done or until a time limit in
// settings().timeLimits expires. Failures are thrown as FtpError and its kinds
// (FtpReplyError, ConnectionClosed, SocketError, FtpTimeoutError, FtpProtocolError,
// FtpCancelledError, FtpCertificateError); what() is the text to show. Names and paths are byte strings sent as
// they are. One thread uses a client; only interrupt() may come from another.
class FtpClient
{
public:
    // Called after each block of a transfer with the bytes moved so far and the size when
    // known (else 0). Returning false stops the transfer with FtpCancelledError.
    using Progress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

    // Listing lines longer than maxListingLineLength bytes are no entry of any real server (a
    // hostile one can send a megabyte); list() leaves them out and, when given this, counts
    // them and keeps how the first few began, so the caller can name what it did not show.
    struct SkippedLines
    {
        static constexpr std::size_t keptBeginnings = 10;
        static constexpr std::size_t beginningLength = 80;

        std::size_t count = 0;
        std::vector<std::string> beginnings; // raw bytes, at most keptBeginnings of them
    };

    // Which listing a folder is asked for with: LIST, LIST -a (names starting with a dot too,
    // on servers that leave them out otherwise), or MLSD (RFC 3659: exact times, every name).
    enum class Listing {
        Plain,
        WithHidden,
        Machine,
    };

    FtpClient();
    ~FtpClient();
    FtpClient(const FtpClient &) = delete;
    FtpClient &operator=(const FtpClient &) = delete;

    FtpSettings &settings() { return m_settings; }
    const FtpSettings &settings() const { return m_settings; }

    // Fired once the TCP connection stands, before the greeting is read.
    void setOnConnected(std::function<void()> handler) { m_onConnected = std::move(handler); }
    // Fired whenever an open control connection is closed, by either side.
    void setOnDisconnected(std::function<void()> handler) { m_onDisconnected = std::move(handler); }
    // Fired once the login succeeded (over FTPS: once TLS stood and its certificate passed the
    // check or was accepted), before connect() returns.
    void setOnLoggedIn(std::function<void()> handler) { m_onLoggedIn = std::move(handler); }

    // Tries each address of the host in turn within timeLimits.connect for them all (the name
    // lookup included): each gets an even share of the time left, so a silent address leaves
    // time for the next, and a refusing one passes on at once. With ExplicitTls, nothing but
    // AUTH TLS goes out before TLS stands and the certificate passed the check or was accepted.
    void connect();
    // Throws FtpProtocolError when the path holds a control byte.
    std::string currentDir();
    void changeDir(const std::string &path);
    void changeDirUp();
    // The server's full path of the folder at path; the current folder stays.
    std::string resolveDir(const std::string &path);
    void makeDir(const std::string &name);
    void removeDir(const std::string &name);
    void deleteFile(const std::string &name);
    void rename(const std::string &oldName, const std::string &newName);
    void site(const std::string &command);
    // FEAT. A server that does not know the command offers nothing beyond RFC 959.
    FtpFeatures features();
    // OPTS, e.g. "MLST type;size;modify;" to choose the facts of a machine listing.
    void options(const std::string &text);
    // MDTM: the file's time as the reply gives it, "YYYYMMDDHHMMSS" in UTC (fractions of a
    // second may follow).
    std::string modificationTime(const std::string &path);
    // The listing's non-empty lines, split at CR LF, lone CR and lone LF; overlong lines are
    // left out and, with skipped given, reported there.
    std::vector<std::string>
    list(const std::string &path, const Progress &progress = {}, SkippedLines *skipped = nullptr);
    // The same with the listing command of choice; a server that does not know it refuses it
    // with FtpReplyError, and the connection stays usable.
    std::vector<std::string>
    list(const std::string &path, Listing listing, const Progress &progress = {}, SkippedLines *skipped = nullptr);
    // A folder's listing in the reply to STAT, with no data connection: LIST's form, "-a"
    // asked for with Listing::WithHidden (a machine listing has no such form and is refused
    // here with FtpProtocolError). Lines as list() gives them. Servers that do not list this
    // way refuse it or answer with something else, so a caller trusts it only once it matched
    // list() on the same folder. Bounded as list() is.
    std::vector<std::string> listInReply(const std::string &path, Listing listing, SkippedLines *skipped = nullptr);
    // The same for several folders at once: every STAT sent together, the replies read in their
    // order, so the lot costs about one round trip. A folder the server refuses has no lines
    // (nullopt) and the others still count; a lost connection throws as listInReply does.
    std::vector<std::optional<std::vector<std::string>>> listInReplies(const std::vector<std::string> &paths,
                                                                       Listing listing);
    // How many STATs listInReplies sends before it reads: few enough bytes that neither side's
    // socket buffer fills while the other writes.
    static constexpr std::size_t maxRepliesInFlight = 32;
    // With expectedSize (a listing gave it), fewer bytes received is a failure, not a file.
    void retrieve(const std::string &remoteName,
                  const std::string &localPath,
                  bool overwrite,
                  std::optional<std::uint64_t> expectedSize = std::nullopt,
                  const Progress &progress = {});
    // Sends "PORT" and "STOR" as always in active mode. When the upload fails or is cancelled
    // after the data connection stood, the server may hold a cut file under the real name:
    // it is deleted with DELE while the connection is usable, and the error thrown carries
    // unfinishedUpload() with the name and whether the cut file is gone.
    void store(const std::string &localPath, const std::string &remoteName, const Progress &progress = {});
    void quit();
    // Sends ABOR, preceded by Telnet IP and Synch, and reads what the server owes within
    // timeLimits.abortReply; a server that stays silent that long loses the connection.
    // Never throws.
    void abort();
    bool isConnected();

    // Callable from any thread: ends the wait under way, and every later one, with
    // FtpCancelledError until resetInterrupt(). A transfer cut this way is aborted with ABOR
    // and keeps the connection when the server answers at once; a command whose reply was
    // cut loses the connection, since its reply could no longer be told from the next one's.
    void interrupt() { m_interrupter.raise(); }
    // Only from the client's own thread, between operations.
    void resetInterrupt() { m_interrupter.clear(); }

    const FtpReply &lastReply() const { return m_lastReply; }
    // The certificate the protected control connection stands on (its problems are those the
    // check found, none when it passed); nothing for plain FTP or before connect().
    const std::optional<FtpCertificate> &serverCertificate() const { return m_serverCertificate; }
    // How the last login went; Unknown before one succeeded.
    FtpKnownLogin loginWay() const { return m_loginWay; }

    // A listing is held whole in memory; these bound what a server can make it hold. Lines
    // are counted too: each costs far more than its bytes.
    static constexpr std::size_t maxListingSize = 64 * 1024 * 1024;
    static constexpr std::size_t maxListingLines = 500000;
    static constexpr std::size_t maxListingLineLength = 4096;

    // Splits at CR LF, lone CR and lone LF and drops empty lines and those over
    // maxListingLineLength bytes. Throws FtpProtocolError past maxListingLines lines.
    static std::vector<std::string> splitLines(const std::string &text, SkippedLines *skipped = nullptr);

private:
    using DataWork = std::function<void(FtpDataConnection &)>;

    // How this connection's data connections are made; a way the server refused is not asked
    // for again until the next connect().
    enum class DataWay {
        ExtendedPassive,
        Passive,
        Active,
    };

    bool controlOpen() const { return m_control && m_control->isOpen(); }
    void requireConnected() const;
    TcpSocket connectToServer();
    void startTls();
    // The server's data address in passive mode; nullopt when active mode is to be used.
    std::optional<NetworkEndpoint> requestPassive();
    std::unique_ptr<FtpDataConnection> listenActively();
    void secureData(FtpDataConnection &data);
    void closeControl();
    void notifyDisconnected();
    std::size_t readControl(char *buffer, std::size_t capacity);
    void sendLine(const std::string &line);
    void sendLine(const std::string &line, std::chrono::milliseconds idleLimit);
    // In one write, each line a command whose reply is then owed.
    void sendLines(const std::vector<std::string> &lines, std::chrono::milliseconds idleLimit);
    const FtpReply &readListingInReply();
    static std::vector<std::string> linesInReply(const FtpReply &reply, SkippedLines *skipped);
    const FtpReply &readReply();
    const FtpReply &readReply(const Deadline &deadline);
    const FtpReply &readReply(const Deadline &deadline, const std::function<FtpReply()> &read);
    const FtpReply &expect(FtpStep step);
    const FtpReply &command(FtpStep step, const std::string &argument = {});
    using Steps = std::vector<std::pair<FtpStep, std::string>>;
    // The replies to commands sent in one write, as far as the server gave them.
    struct Exchange
    {
        std::vector<FtpReply> replies;
        std::exception_ptr failure; // why the replies end early
        // The reply at index; the failure when the server gave none.
        const FtpReply &at(std::size_t index) const;
    };
    // Sends the commands in one write and reads a reply to each; only a cancel ends it early.
    Exchange exchange(const Steps &steps);
    static void accept(FtpStep step, const FtpReply &reply);
    static std::string pathInReply(const FtpReply &reply);
    void acceptLogin(FtpStep step, const FtpReply &reply) const;
    Steps afterLogin() const;
    std::string commandLine(FtpStep step, const std::string &argument) const;
    void login();
    void transfer(FtpStep step, const std::string &argument, const DataWork &work);
    std::optional<FtpReply> awaitServerConnection(FtpDataConnection &data);
    void awaitUploadTaken(UploadWatch &watch);
    void finishTransfer(const std::optional<FtpReply> &early);
    void readFollowUpOfAbortedTransfer();
    std::optional<FtpReply> recoverAfterFailedTransfer();
    void abortAfterCancel(const std::function<void()> &closeData, bool upload);
    void abortExchange(const std::function<void()> &closeData, bool upload);
    void sendAbort(std::chrono::milliseconds limit);
    bool removeUnfinishedUpload(const std::string &remoteName, bool cancelled);
    void withInterruptionSetAside(const std::function<void()> &work);

    FtpSettings m_settings;
    std::function<void()> m_onConnected;
    std::function<void()> m_onDisconnected;
    std::function<void()> m_onLoggedIn;
    SocketInterrupter m_interrupter; // declared before the sockets that poll it
    std::unique_ptr<ByteStream> m_control;
    std::unique_ptr<TlsContext> m_tls; // while the control connection is protected
    std::string m_certificateFingerprint;
    std::optional<FtpCertificate> m_serverCertificate;
    DataWay m_dataWay = DataWay::Active;
    FtpReplyReader m_reader;
    FtpReply m_lastReply;
    std::optional<Deadline> m_replyDeadline;
    // Final replies the server still owes for commands sent; an abort reads exactly these.
    int m_repliesOwed = 0;
    FtpDataConnection *m_data = nullptr; // the transfer under way, owned by transfer()
    // The last transfer got as far as its data connection: an upload may have left a file.
    bool m_dataConnected = false;
    // No RNFR of ours is left waiting for its RNTO on the server: an RNTO sent right behind
    // its RNFR can then only ever act on that RNFR's file.
    bool m_renameClear = true;
    FtpKnownLogin m_loginWay = FtpKnownLogin::Unknown;
};
