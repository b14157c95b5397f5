#include "transfer/localfolderreader.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

QDateTime modifiedTime(const struct stat &status)
{
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(status.st_mtim.tv_sec) * 1000
                                          + status.st_mtim.tv_nsec / 1000000);
}

LocalFolderReader::Kind kindOf(mode_t mode)
{
    if (S_ISLNK(mode))
        return LocalFolderReader::Kind::Link;
    if (S_ISDIR(mode))
        return LocalFolderReader::Kind::Folder;
    if (S_ISREG(mode))
        return LocalFolderReader::Kind::File;
    return LocalFolderReader::Kind::Special;
}

} // namespace

LocalFolderReader::LocalFolderReader(const QByteArray &folder)
{
    m_dir = ::opendir(folder.constData());
    if (m_dir == nullptr)
        m_error = errno;
}

LocalFolderReader::~LocalFolderReader()
{
    if (m_dir != nullptr)
        ::closedir(m_dir);
}

std::optional<LocalFolderReader::Entry> LocalFolderReader::next()
{
    if (m_dir == nullptr)
        return std::nullopt;
    for (;;) {
        errno = 0;
        const dirent *found = ::readdir(m_dir);
        if (found == nullptr) {
            m_error = errno;
            return std::nullopt;
        }
        if (std::strcmp(found->d_name, ".") == 0 || std::strcmp(found->d_name, "..") == 0)
            continue;
        Entry entry;
        entry.name = QByteArray(found->d_name);
        struct stat status
        {};
        const int folderFd = ::dirfd(m_dir);
        if (::fstatat(folderFd, found->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
            entry.kind = Kind::Vanished;
            return entry;
        }
        entry.kind = kindOf(status.st_mode);
        // What a link leads to decides how a list shows it; a walk never goes there.
        if (entry.kind == Kind::Link && ::fstatat(folderFd, found->d_name, &status, 0) != 0)
            return entry;
        entry.size = static_cast<qint64>(status.st_size);
        entry.modified = modifiedTime(status);
        entry.leadsToFolder = S_ISDIR(status.st_mode);
        return entry;
    }
}
