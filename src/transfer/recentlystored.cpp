#include "transfer/recentlystored.h"

#include "transfer/permissionbits.h"

#include <algorithm>

namespace {

QByteArray lastNameOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return QByteArray::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1));
}

} // namespace

void RecentlyStored::stored(const std::string &path, RemoteItem item)
{
    removed(path);
    m_files.emplace_back(path, std::move(item));
    if (m_files.size() > kKept)
        m_files.pop_front();
}

void RecentlyStored::renamed(const std::string &from, const std::string &to)
{
    removed(to); // replaced
    const auto found = at(from);
    if (found == m_files.end())
        return;
    found->first = to;
    found->second.name = lastNameOf(to);
}

void RecentlyStored::modeSet(const std::string &path, int mode)
{
    const auto found = at(path);
    if (found != m_files.end()) {
        const QString &attributes = found->second.attributes;
        found->second.attributes =
            PermissionBits::attributesOf(attributes.isEmpty() ? QLatin1Char('-') : attributes.front(), mode);
    }
}

void RecentlyStored::removed(const std::string &path)
{
    const auto found = at(path);
    if (found != m_files.end())
        m_files.erase(found);
}

std::optional<RemoteItem> RecentlyStored::find(const std::string &path) const
{
    const auto found =
        std::find_if(m_files.cbegin(), m_files.cend(), [&](const auto &file) { return file.first == path; });
    if (found == m_files.cend())
        return std::nullopt;
    return found->second;
}

std::deque<std::pair<std::string, RemoteItem>>::iterator RecentlyStored::at(const std::string &path)
{
    return std::find_if(m_files.begin(), m_files.end(), [&](const auto &file) { return file.first == path; });
}
