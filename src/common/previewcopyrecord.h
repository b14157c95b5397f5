#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class QLockFile;

// This run's record of the preview copies it writes into the user's folders (the page written
// beside the document, so that its links work), kept in a folder of the data folder: each
// copy's path with the size and SHA-256 of what was written, put on record before the file is
// written and taken off once it is deleted. Each run keeps a record of its own and holds a lock
// file beside it while it lives, as the recovery folder does, so programs running at the same
// time never touch each other's copies; a record nobody living holds is a run that was killed
// or crashed, and the next start deletes its copies that are still exactly as written. Also
// answers, over every run's record, whether a file is such a copy. Owns this run's lock.
class PreviewCopyRecord
{
public:
    static inline const QString kFolderName = QStringLiteral("previews");
    // A run keeps one copy at a time (two for a moment when it moves); more means that deletes
    // failed. Beyond this the oldest fall off the record, which stays small.
    static constexpr int kMaxCopies = 32;

    // folder: where the records are, created on the first write.
    explicit PreviewCopyRecord(QString folder);
    // The record goes with the run; copies still on disk stay on it for the next start.
    ~PreviewCopyRecord();
    PreviewCopyRecord(const PreviewCopyRecord &) = delete;
    PreviewCopyRecord &operator=(const PreviewCopyRecord &) = delete;

    // Before path is written with bytes: the copy is on record, with these bytes and with what
    // it held before, whichever the file holds when the program ends. A record that cannot be
    // written is no reason to refuse the preview: this process still knows the copy.
    void writing(const QString &path, const QByteArray &bytes);
    // path was deleted, or is gone.
    void removed(const QString &path);
    // Deletes every copy on record, and the record: the program ends now.
    void removeAll();
    QStringList paths() const;

    // At start: the copies of runs that ended without deleting them are deleted when they are
    // still exactly as written; one changed since is the user's now and is forgotten; one whose
    // folder is not there (an unplugged disk) stays on record for a later start, for a while.
    // Never touches the copies of a run that is still going. Returns the paths deleted.
    static QStringList removeLeftovers(const QString &folder);
    // Whether path is a copy on the record of a run of this process, or on any run's record in
    // folder and still as written.
    static bool holds(const QString &folder, const QString &path);

    // What a record holds of each copy: what was written to it, and when.
    struct Version
    {
        qint64 size = 0;
        QByteArray sha256;
    };
    struct Copy
    {
        QString path; // with the folder's links resolved
        QList<Version> versions;
        qint64 writtenAt = 0; // milliseconds since 1970
    };

private:
    QString recordPath(const QString &id) const;
    QString lockPath(const QString &id) const;
    void store();

    QString m_folder;
    QString m_id;
    std::unique_ptr<QLockFile> m_lock;
    bool m_lockFailed = false;
    QList<Copy> m_copies;
};
