#include "transfer/remotefiles.h"

#include "transfer/remoteerrors.h"

std::string RemoteFiles::resolveDir(const std::string &path)
{
    const std::string current = currentDir();
    changeDir(path);
    const std::string resolved = currentDir();
    changeDir(current);
    return resolved;
}

std::vector<std::optional<RemoteItems>> RemoteFiles::listFullySeveral(const std::vector<std::string> &folders)
{
    std::vector<std::optional<RemoteItems>> listed;
    listed.reserve(folders.size());
    for (const std::string &folder : folders) {
        try {
            listed.emplace_back(listFully(folder));
        } catch (const RemoteCancelled &) {
            throw;
        } catch (const std::exception &) {
            if (!isConnected())
                throw;
            listed.emplace_back(std::nullopt); // refused: the connection goes on
        }
    }
    return listed;
}
