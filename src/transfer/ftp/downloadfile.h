#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A download under way: the bytes go to a temporary file beside the target, which replaces
// the target only on commit(). Anything else (a refused command, a broken connection, a
// full disk) removes the temporary file and leaves an existing target as it was.
// Replacing keeps what the user made of the target: a symbolic link stays a link and the file
// it points to is the one replaced; an existing file keeps its permission bits (and, where the
// system allows, its owner and group).
class DownloadFile
{
public:
    // Throws FtpError when the temporary file cannot be created.
    explicit DownloadFile(std::string targetPath);
    ~DownloadFile();
    DownloadFile(const DownloadFile &) = delete;
    DownloadFile &operator=(const DownloadFile &) = delete;

    void write(const char *data, std::size_t size);
    void commit();

    const std::string &temporaryPath() const { return m_temporaryPath; }
    // The file that commit() replaces: the target, or where its symbolic links lead.
    const std::string &replacedPath() const { return m_targetPath; }
    std::uint64_t bytesWritten() const { return m_written; }

private:
    void discard();

    std::string m_targetPath;
    std::string m_temporaryPath;
    int m_fd = -1;
    std::uint64_t m_written = 0;
};
