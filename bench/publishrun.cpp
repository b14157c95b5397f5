#include "publishrun.h"

#include "transfer/ftpjobcontext.h"
#include "transferbench.h"

#include <chrono>
#include <iostream>

namespace PublishRun {

PublishJobs::Site
siteFor(const std::string &host, const std::string &user, const std::filesystem::path &local, const std::string &remote)
{
    return {QString::fromStdString(host),
            QString::fromStdString(user),
            QString::fromStdString(local.string()),
            QString::fromStdString(remote),
            SiteExclusions(SiteExclusions::defaultPatterns())};
}

std::optional<double> time(FtpJobContext &context,
                           const std::function<void()> &connect,
                           const PublishJobs::Site &site,
                           Part part,
                           const std::function<void()> &planned)
{
    using Clock = std::chrono::steady_clock;
    try {
        auto start = Clock::now();
        connect();
        if (part == Part::Plan)
            start = Clock::now();
        PublishJobs::Scan scan = PublishJobs::scan(context, site);
        bool done = false;
        if (part == Part::Plan) {
            done = scan.plan.count(PublishPlan::State::Unchanged) == TransferBench::treeFiles;
        } else {
            PublishPlan::decideSameSize(scan.plan, {});
            if (planned)
                planned();
            const TransferJobs::Summary summary = PublishJobs::publish(context, scan);
            done = summary.failed.isEmpty() && summary.stopError.isEmpty();
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        context.files().quit();
        return done ? std::optional(seconds) : std::nullopt;
    } catch (const std::exception &error) {
        std::cerr << "ftp_bench: our publish failed: " << error.what() << "\n";
        return std::nullopt;
    }
}

} // namespace PublishRun
