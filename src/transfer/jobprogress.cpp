#include "transfer/jobprogress.h"

#include <algorithm>

namespace {

constexpr int kWhole = 100;
constexpr qint64 kKilobyte = 1024;

QString kilobytes(qint64 done, qint64 total)
{
    return QStringLiteral("%1 / %2 KB").arg(done / kKilobyte).arg(total / kKilobyte);
}

} // namespace

std::optional<int> JobProgress::percent() const
{
    const double ofFile = total > 0 ? static_cast<double>(std::clamp<qint64>(done, 0, total)) / total : 0.0;
    if (files > 0) {
        const int complete = std::clamp(filesDone, 0, files);
        const double share = complete < files ? ofFile : 0.0;
        return static_cast<int>((complete + share) * kWhole / files);
    }
    if (total > 0)
        return static_cast<int>(ofFile * kWhole);
    return std::nullopt;
}

QString JobProgress::description() const
{
    QString text = name;
    if (total > 0)
        text += QLatin1Char(' ') + kilobytes(std::min(done, total), total);
    if (files > 1 && jobTotal > 0)
        text += QStringLiteral("（全体 ") + kilobytes(std::min(jobDone, jobTotal), jobTotal) + QStringLiteral("）");
    return text;
}
