#pragma once

#include "transfer/remoteitem.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <utility>

// The last few files a session stored, each as a listing of its folder would show it, where the
// store learned that on its way (an SFTP file's attributes are read just before its close). A
// publish records what it sent from here instead of listing each folder again. The entries follow
// the session's own renames, mode changes and removals; anything else the session did not do
// (another program on the server) the next plan's listing shows, as ever. Paths are whole.
class RecentlyStored
{
public:
    // More than a publish sends into one folder between its records.
    static constexpr std::size_t kKept = 64;

    void stored(const std::string &path, RemoteItem item);
    void renamed(const std::string &from, const std::string &to);
    void modeSet(const std::string &path, int mode);
    void removed(const std::string &path);
    void clear() { m_files.clear(); }

    std::optional<RemoteItem> find(const std::string &path) const;

private:
    std::deque<std::pair<std::string, RemoteItem>>::iterator at(const std::string &path);

    std::deque<std::pair<std::string, RemoteItem>> m_files; // the newest last
};
