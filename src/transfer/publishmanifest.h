#pragma once

#include "transfer/remotedate.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>

// What this program last published to one remote folder: for every file it sent, the content
// hash of what it sent and the file's size and time as the server listed them right after.
// Whether a local file changed is then a question of its content, and whether someone else
// changed the server's copy one of its listing, never of two clocks. Also the mode the server
// gives a file it creates, so that a publish knows without asking which files would lose
// theirs. Kept per site in the data folder (publish/<key>.manifest) and replaced atomically
// after every file, so a publish that was stopped or failed resumes where it ended.
class PublishManifest
{
public:
    // How the local file stood when the hash was taken: its size, inode and change times to
    // the nanosecond. While all of them still stand the hash is still the file's, so a plan of
    // a thousand unchanged pages reads none of them. Only this machine's own clock and file
    // system are involved; the server's clock never is. All zero: not known, hash the file.
    struct LocalStamp
    {
        qint64 size = 0;
        qint64 modifiedNs = 0;
        qint64 changedNs = 0;
        quint64 inode = 0;

        bool known() const { return modifiedNs != 0 || changedNs != 0; }
        bool operator==(const LocalStamp &) const = default;
    };

    struct Entry
    {
        std::uint64_t hash = 0;
        qint64 remoteSize = 0;
        // The server's time of its copy, as a listing after the upload gave it (or MDTM where
        // none could be read); none until then, and then only the size tells whether the
        // server's copy is still ours.
        RemoteDate remoteTime;
        LocalStamp local;

        bool operator==(const Entry &) const = default;
    };

    // The file of the site whose files go to remoteRoot on host as user, in the data folder.
    static QString pathFor(const QString &host, const QString &user, const QByteArray &remoteRoot);

    // A missing file is an empty manifest; lines that cannot be read are left out (the files
    // they named are then compared as if published by another program). Throws UserError when
    // the file exists but cannot be read.
    void load(const QString &path);
    enum class Flush {
        ToDisk, // waits until the disk holds it
        // Replaced as atomically, without the wait (a hundredth of a second a file): for the
        // writes after each file of a publish, whose last write goes to disk.
        Later,
    };

    // Atomically; creates the folder. Throws UserError on failure.
    void write(const QString &path, Flush flush = Flush::ToDisk) const;

    // Keys: paths below the remote root as the server names them ("img/a.gif").
    const Entry *find(const QByteArray &path) const;
    void set(const QByteArray &path, const Entry &entry) { m_records.insert_or_assign(path, Record{entry, {}}); }
    void remove(const QByteArray &path) { m_records.erase(path); }
    // Whether a record lies below the folder ("img" holds "img/a.gif").
    bool holdsBelow(const QByteArray &folder) const;
    qsizetype size() const { return static_cast<qsizetype>(m_records.size()); }
    // The folders that hold a recorded file, the root among them.
    qsizetype folderCount() const;

    // The mode the server gave the last file it created for a publish; nothing until a
    // listing showed one.
    std::optional<int> newFileMode() const { return m_newFileMode; }
    void setNewFileMode(std::optional<int> mode) { m_newFileMode = mode; }

    QByteArray format() const;
    static PublishManifest parse(const QByteArray &bytes);

private:
    struct Record
    {
        Entry entry;
        // The entry's line in the file, made when first written: a publish rewrites the whole
        // file after each of its files, and formats only the records that changed.
        mutable QByteArray line;
    };
    std::map<QByteArray, Record> m_records; // by path: the file lists them in order
    std::optional<int> m_newFileMode;
};
