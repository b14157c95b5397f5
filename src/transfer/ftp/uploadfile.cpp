#include "transfer/ftp/uploadfile.h"

#include "transfer/ftp/ftperror.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void throwFileError(const char *action, FtpFault fault, const std::string &path, int error)
{
    throw FtpError(
        "Cannot " + std::string(action) + " \"" + path + "\": " + std::strerror(error), fault, path, {}, error);
}

} // namespace

UploadFile::UploadFile(const std::string &path) : m_path(path)
{
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        throwFileError("open", FtpFault::LocalOpen, path, errno);
    struct stat status
    {};
    if (::fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const int error = S_ISDIR(status.st_mode) ? EISDIR : errno;
        ::close(m_fd);
        m_fd = -1;
        throwFileError("open", FtpFault::LocalOpen, path, error == 0 ? EINVAL : error);
    }
    m_remaining = static_cast<std::size_t>(status.st_size);
    // The whole file is read once from start to end; let the kernel read ahead generously.
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

UploadFile::~UploadFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::size_t UploadFile::read(char *buffer, std::size_t capacity)
{
    const std::size_t wanted = std::min(capacity, m_remaining);
    std::size_t filled = 0;
    while (filled < wanted) {
        const ssize_t got = ::read(m_fd, buffer + filled, wanted - filled);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throwFileError("read", FtpFault::LocalRead, m_path, errno);
        }
        if (got == 0)
            throw FtpError("No data to read.");
        filled += static_cast<std::size_t>(got);
    }
    m_remaining -= filled;
    return filled;
}
