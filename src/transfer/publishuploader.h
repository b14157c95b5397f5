#pragma once

#include "transfer/remotefiles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>

// How each file of a publish goes up, and what the server refused on the way. A file goes
// under a temporary name in its folder and is renamed over the old one, so that nobody ever
// fetches half a page; one that would take another mode than the old file's (the server gives
// a new file its own, 644 or 600 where a CGI had 755) gets the old mode first, with SITE
// CHMOD. What the server refuses of that (names that start with a dot, SITE CHMOD, the
// rename) falls back to the upload under the file's own name, as ▲ sends it, which keeps the
// old file and its mode. A refusal that is the server's way (it does not know the command,
// or turns down every such name) holds for the rest of the publish; one about a single file
// does not. Refers to the remote files; used on the session's worker thread.
class PublishUploader
{
public:
    // How a file went up.
    struct Sent
    {
        // A file of the server's making, with the mode the server gives new files: renamed
        // into place, or new. False when it replaced the old file's content in place.
        bool fresh = false;
        bool modeSet = false; // given the old file's mode before it took the old one's place
    };

    // remoteRoot: where the paths below it are, as PWD named it. newFileMode: the mode the
    // server gave new files before, when known.
    PublishUploader(RemoteFiles &files, QByteArray remoteRoot, std::optional<int> newFileMode);

    // remote: below the root. oldMode: the mode the listing gave the server's copy, when it
    // has one (replacing) and the listing gave one. Throws as RemoteFiles::store does.
    Sent send(const std::string &localPath,
              const QByteArray &remote,
              bool replacing,
              std::optional<int> oldMode,
              const RemoteFiles::Progress &progress);

    // SITE CHMOD on a file that came out with another mode after all. False when the server
    // refuses it (and SITE CHMOD is not asked again in this publish); throws only when the
    // connection is lost.
    bool setMode(const QByteArray &remote, int mode);

    // The mode the server gives a new file, as a listing after an upload showed it.
    std::optional<int> newFileMode() const { return m_newFileMode; }
    void learnNewFileMode(int mode) { m_newFileMode = mode; }
    bool modesRefused() const { return m_modesRefused; }

    // What the user should hear of how the files went up, though each one did.
    QStringList notes() const;

private:
    std::string path(const QByteArray &remote) const;
    // The upload under the file's own name, after its temporary copy was turned down.
    Sent sendDirectly(const std::string &localPath,
                      const QByteArray &remote,
                      bool replacing,
                      const RemoteFiles::Progress &progress);
    void removeTemporary(const std::string &temporary);

    RemoteFiles &m_files;
    QByteArray m_root; // ends in "/"
    std::optional<int> m_newFileMode;
    bool m_dotNamesRefused = false;
    bool m_modesRefused = false;
    bool m_renamesRefused = false;   // the server knows no RNFR / RNTO
    QStringList m_refusedRenames;    // files whose rename alone was refused
    bool m_keptModes = false;        // a file went directly to keep a mode SITE CHMOD could not set
    bool m_keptSpecialModes = false; // a file went directly to keep its special bits
};
