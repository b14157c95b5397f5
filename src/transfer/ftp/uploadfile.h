#pragma once

#include <cstddef>
#include <string>

// A local file being uploaded. Its size is taken when it is opened; a file that ends
// before that size (cut short meanwhile) fails with "No data to read." so a short upload
// is never reported as complete.
class UploadFile
{
public:
    // Throws FtpError when the file cannot be opened for reading.
    explicit UploadFile(const std::string &path);
    ~UploadFile();
    UploadFile(const UploadFile &) = delete;
    UploadFile &operator=(const UploadFile &) = delete;

    std::size_t remaining() const { return m_remaining; }
    // Fills up to capacity bytes (never more than remain) and returns how many.
    std::size_t read(char *buffer, std::size_t capacity);

private:
    std::string m_path;
    int m_fd = -1;
    std::size_t m_remaining = 0;
};
