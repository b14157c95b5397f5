#pragma once

#include "transfer/remotedate.h"
#include "transfer/remoteitem.h"
#include "transfer/remotelogin.h"
#include "transfer/servercertificate.h"
#include "transfer/transferlimits.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The files of a server as the transfer window's session, jobs, folder transfers, deletion,
// permission changes and publish see them, whichever protocol reaches them. Names and paths are
// the server's bytes, sent back as they came; a relative path is taken from the current
// folder. Every call blocks until done or until a time limit expires, and throws on failure: a
// std::exception whose text the window shows (ftpErrorText), marked with the bases of
// remoteerrors.h where a job must tell the user's stop, a refusal or an untrusted server apart.
// One thread uses an object; only interrupt() may come from another.
class RemoteFiles
{
public:
    // Called after each block of a transfer with the bytes moved so far and the size when known
    // (else 0). Returning false stops the transfer as the user's stop.
    using Progress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

    // Entries a listing left out because no real server sends them (overlong lines).
    struct Skipped
    {
        std::size_t count = 0;
        std::vector<std::string> beginnings; // raw bytes of the first few
    };

    RemoteFiles() = default;
    virtual ~RemoteFiles() = default;
    RemoteFiles(const RemoteFiles &) = delete;
    RemoteFiles &operator=(const RemoteFiles &) = delete;

    // Fired once the connection to the server stands, before the login.
    virtual void setOnConnected(std::function<void()> handler) = 0;
    // Fired once the login succeeded and the server's identity passed (or was accepted).
    virtual void setOnLoggedIn(std::function<void()> handler) = 0;
    // Fired whenever an open connection is closed, by either side.
    virtual void setOnDisconnected(std::function<void()> handler) = 0;
    virtual void setTimeLimits(const TransferTimeLimits &limits) = 0;

    // Connects and logs in as login says (its folder is the caller's business).
    virtual void connect(const RemoteLogin &login) = 0;
    virtual bool isConnected() = 0;
    // Ends the connection politely; never throws.
    virtual void quit() = 0;
    // Ends what a cancelled transfer left behind on the connection; never throws.
    virtual void abort() = 0;
    // The identity the protected connection stands on; nothing for plain FTP.
    virtual std::optional<ServerCertificate> serverCertificate() const = 0;

    virtual std::string currentDir() = 0;
    virtual void changeDir(const std::string &path) = 0;
    virtual void changeDirUp() = 0;
    // The full path of the folder at path (absolute, or from the current folder); the current
    // folder stays as it was.
    virtual std::string resolveDir(const std::string &path);

    // The folder's entries as the window shows them ("" for the current folder).
    virtual RemoteItems list(const std::string &folder, const Progress &progress = {}, Skipped *skipped = nullptr) = 0;
    // The folder's entries for a publish: every name (those starting with a dot too, where the
    // server lets them be listed), the most exact times and the modes the server gives.
    // startFullListings() settles how, once per plan; resumeFullListings() goes on that way on
    // a connection made since.
    virtual void startFullListings() = 0;
    virtual void resumeFullListings() = 0;
    virtual RemoteItems listFully(const std::string &folder) = 0;
    // Several folders' full listings, where the protocol can at about the cost of one; a folder
    // the server refuses has none (nullopt). Throws as listFully does for a lost connection or
    // a stop. Here: one after another.
    virtual std::vector<std::optional<RemoteItems>> listFullySeveral(const std::vector<std::string> &folders);
    // Whether listFullySeveral costs about one round trip now; and whether it may, once the
    // first folder of a plan is listed (the server then tells).
    virtual bool listsFullySeveralAtOnce() const { return false; }
    virtual bool mayListFullySeveralAtOnce() const { return listsFullySeveralAtOnce(); }
    virtual bool fullListingsShowHiddenNames() const = 0;
    // The server's exact time of a file; nothing when it cannot tell.
    virtual std::optional<RemoteDate> exactTime(const std::string &path) = 0;

    // With expectedSize (a listing gave it), fewer bytes received is a failure, not a file. The
    // target is replaced only by a complete copy.
    virtual void retrieve(const std::string &remotePath,
                          const std::string &localPath,
                          bool overwrite,
                          std::optional<std::uint64_t> expectedSize = std::nullopt,
                          const Progress &progress = {}) = 0;
    // A cut upload is removed while the connection allows; the error says whether it is gone.
    virtual void store(const std::string &localPath, const std::string &remotePath, const Progress &progress = {}) = 0;
    // A file this session stored lately (and renamed, or gave a mode, since) as a listing of its
    // folder would show it now, where the store could learn that on its way; nothing where only
    // a listing can tell.
    virtual std::optional<RemoteItem> storedAs(const std::string &path) const { return std::nullopt; }
    // Replaces a file already called newPath where the server lets it.
    virtual void rename(const std::string &oldPath, const std::string &newPath) = 0;
    virtual void makeDir(const std::string &path) = 0;
    virtual void removeDir(const std::string &path) = 0;
    virtual void remove(const std::string &path) = 0;
    // mode: the nine permission bits, with the special ones where asked.
    virtual void setPermissions(const std::string &path, int mode) = 0;

    // Another connection as this one's login, for a job that works over several at once: made
    // on this object's thread, connected by connectAgain() on the thread that then uses it
    // alone, and stopped by this one's interrupt() too. Nothing where none can be made.
    virtual std::unique_ptr<RemoteFiles> another() { return nullptr; }
    // For what another() made: connects as the connection it came from. Throws as connect().
    virtual void connectAgain() {}

    // Callable from any thread: ends the wait under way, and every later one, as the user's stop
    // until resetInterrupt().
    virtual void interrupt() = 0;
    // Only from the object's own thread, between operations.
    virtual void resetInterrupt() = 0;
};
