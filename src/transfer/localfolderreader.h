#pragma once

#include <QByteArray>
#include <QDateTime>

#include <dirent.h>
#include <optional>

// Reads the entries of one local folder, one at a time, as the bytes the file system holds
// for their names: a name in another encoding than the system's (CP932 from a Windows
// archive) is read like any other instead of being dropped or mangled on the way to text.
// Each entry is described as it is itself (a link as a link). Owns the open folder handle.
class LocalFolderReader
{
public:
    enum class Kind {
        Folder,
        File,
        Link,
        Special,  // a FIFO, a device or a socket
        Vanished, // gone (or unreadable) between listing and looking at it
    };

    struct Entry
    {
        QByteArray name;
        Kind kind = Kind::File;
        // For a link, of what it points to (nothing when it points nowhere).
        qint64 size = 0;
        QDateTime modified;
        bool leadsToFolder = false; // a folder, or a link to one
    };

    // folder: a path in the file system's own bytes.
    explicit LocalFolderReader(const QByteArray &folder);
    ~LocalFolderReader();
    LocalFolderReader(const LocalFolderReader &) = delete;
    LocalFolderReader &operator=(const LocalFolderReader &) = delete;

    // False when the folder could not be opened; errorNumber() says why.
    bool isOpen() const { return m_dir != nullptr; }
    int errorNumber() const { return m_error; }

    // The next entry in the file system's order, "." and ".." passed over; nullopt at the end.
    std::optional<Entry> next();

private:
    DIR *m_dir = nullptr;
    int m_error = 0;
};
