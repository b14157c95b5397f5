#include "transfer/ftp/downloadfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "transfer/ftp/ftperror.h"

namespace {

constexpr int creationAttempts = 16;
constexpr mode_t newFileMode = 0666; // narrowed by the user's umask, like any new file
constexpr unsigned suffixDigits = 8;

std::string randomSuffix()
{
    static std::mt19937 generator{std::random_device{}()};
    constexpr char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof digits - 2);
    std::string suffix;
    for (unsigned index = 0; index < suffixDigits; ++index)
        suffix += digits[pick(generator)];
    return suffix;
}

[[noreturn]] void throwFileError(const char* action, const std::string& path, int error)
{
    throw FtpError("Cannot " + std::string(action) + " \"" + path + "\": " + std::strerror(error));
}

} // namespace

DownloadFile::DownloadFile(std::string targetPath) : m_targetPath(std::move(targetPath))
{
    const std::size_t slash = m_targetPath.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : m_targetPath.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? m_targetPath : m_targetPath.substr(slash + 1);
    int error = 0;
    for (int attempt = 0; attempt < creationAttempts; ++attempt) {
        m_temporaryPath = folder + "." + name + ".part-" + randomSuffix();
        m_fd = ::open(m_temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, newFileMode);
        if (m_fd >= 0)
            return;
        error = errno;
        if (error != EEXIST)
            break;
    }
    throwFileError("create a file beside", m_targetPath, error);
}

DownloadFile::~DownloadFile()
{
    discard();
}

void DownloadFile::write(const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throwFileError("write", m_targetPath, errno);
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void DownloadFile::commit()
{
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        throwFileError("write", m_targetPath, errno);
    if (::rename(m_temporaryPath.c_str(), m_targetPath.c_str()) != 0)
        throwFileError("replace", m_targetPath, errno);
    m_temporaryPath.clear();
}

void DownloadFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporaryPath.empty()) {
        ::unlink(m_temporaryPath.c_str());
        m_temporaryPath.clear();
    }
}
