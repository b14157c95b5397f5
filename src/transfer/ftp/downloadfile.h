#pragma once

#include <cstddef>
#include <string>

// A download under way: the bytes go to a temporary file beside the target, which replaces
// the target only on commit(). Anything else (a refused command, a broken connection, a
// full disk) removes the temporary file and leaves an existing target as it was.
class DownloadFile {
public:
    // Throws FtpError when the temporary file cannot be created.
    explicit DownloadFile(std::string targetPath);
    ~DownloadFile();
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    void write(const char* data, std::size_t size);
    void commit();

    const std::string& temporaryPath() const { return m_temporaryPath; }

private:
    void discard();

    std::string m_targetPath;
    std::string m_temporaryPath;
    int m_fd = -1;
};
