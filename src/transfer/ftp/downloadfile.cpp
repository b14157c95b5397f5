#include "transfer/ftp/downloadfile.h"

#include "transfer/ftp/ftperror.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

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

constexpr int maxLinkHops = 40; // the kernel's own limit (ELOOP)
constexpr mode_t permissionBits = 07777;
constexpr mode_t privateMode = 0600; // until the download is complete

[[noreturn]] void throwFileError(const char *action, FtpFault fault, const std::string &path, int error)
{
    throw FtpError(
        "Cannot " + std::string(action) + " \"" + path + "\": " + std::strerror(error), fault, path, {}, error);
}

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Follows symbolic links to the path that renaming must replace; a dangling link leads to
// the file it names, which the download then creates.
std::string followLinks(std::string path)
{
    for (int hop = 0; hop < maxLinkHops; ++hop) {
        struct stat status
        {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return path;
        std::string link(static_cast<std::size_t>(status.st_size > 0 ? status.st_size : PATH_MAX) + 1, '\0');
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length < 0)
            throwFileError("read the link", FtpFault::LocalLink, path, errno);
        link.resize(static_cast<std::size_t>(length));
        path = !link.empty() && link.front() == '/' ? link : folderOf(path) + link;
    }
    throwFileError("follow the links of", FtpFault::LocalLink, path, ELOOP);
}

} // namespace

DownloadFile::DownloadFile(std::string targetPath) : m_targetPath(followLinks(std::move(targetPath)))
{
    struct stat existing
    {};
    const bool replacing = ::stat(m_targetPath.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    const std::size_t slash = m_targetPath.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : m_targetPath.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? m_targetPath : m_targetPath.substr(slash + 1);
    int error = 0;
    for (int attempt = 0; attempt < creationAttempts; ++attempt) {
        m_temporaryPath = folder + "." + name + ".part-" + randomSuffix();
        m_fd = ::open(
            m_temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replacing ? privateMode : newFileMode);
        if (m_fd >= 0) {
            if (replacing) {
                // Owner first: changing it may clear set-id bits that the mode then restores.
                // Only root or the owner may give a file away; a user's own file stays theirs.
                [[maybe_unused]] const int owned = ::fchown(m_fd, existing.st_uid, existing.st_gid);
                if (::fchmod(m_fd, existing.st_mode & permissionBits) != 0) {
                    error = errno;
                    discard();
                    throwFileError("set the permissions of", FtpFault::LocalPermissions, m_targetPath, error);
                }
            }
            return;
        }
        error = errno;
        if (error != EEXIST)
            break;
    }
    throwFileError("create a file beside", FtpFault::LocalCreate, m_targetPath, error);
}

DownloadFile::~DownloadFile()
{
    discard();
}

void DownloadFile::write(const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throwFileError("write", FtpFault::LocalWrite, m_targetPath, errno);
        }
        data += written;
        size -= static_cast<std::size_t>(written);
        m_written += static_cast<std::uint64_t>(written);
    }
}

void DownloadFile::commit()
{
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        throwFileError("write", FtpFault::LocalWrite, m_targetPath, errno);
    if (::rename(m_temporaryPath.c_str(), m_targetPath.c_str()) != 0)
        throwFileError("replace", FtpFault::LocalReplace, m_targetPath, errno);
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
