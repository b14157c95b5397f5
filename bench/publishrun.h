#pragma once

// Our publish as the running program does it when 公開 is pressed, timed in this process for the
// FTP and the SFTP lines alike: connect, plan (PublishJobs::scan), take every file of the same
// size as changed, publish. The program is running before the user presses 公開, so no process
// start belongs in its time.

#include "transfer/publishjobs.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class FtpJobContext;

namespace PublishRun {

enum class Part {
    Whole, // connect, plan and publish
    Plan,  // the plan alone, on a session already connected
};

// The bench's site: local published to remote on host, with the program's own exclusions.
PublishJobs::Site siteFor(const std::string &host,
                          const std::string &user,
                          const std::filesystem::path &local,
                          const std::string &remote);

// The seconds that part took on context's files, connected by connect, or nothing when it failed
// (for the plan: when it did not find every file of the tree unchanged). planned, when given, is
// called between the plan and the publish.
std::optional<double> time(FtpJobContext &context,
                           const std::function<void()> &connect,
                           const PublishJobs::Site &site,
                           Part part,
                           const std::function<void()> &planned = {});

} // namespace PublishRun
