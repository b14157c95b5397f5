#include "benchchild.h"

#include "benchbasics.h"
#include "childrun.h"

#include <cstdio>
#include <sstream>

namespace bench {

double ChildValues::number(const std::string &name) const
{
    const auto found = lines.find(name);
    return found == lines.end() ? 0.0 : std::stod(found->second);
}

const char *ChildValues::text(const std::string &name) const
{
    const auto found = lines.find(name);
    return found == lines.end() ? "" : found->second.c_str();
}

ChildValues runBenchChild(const char *self, const std::vector<const char *> &args)
{
    const ChildRun run = runChild(benchName(), self, args);
    ChildValues values;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        const size_t space = line.find(' ');
        if (space != std::string::npos)
            values.lines[line.substr(0, space)] = line.substr(space + 1);
    }
    values.peakMiB = run.peakMiB;
    return values;
}

void printLine(const char *op, const std::string &what, double ours, double floor)
{
    std::printf(
        "editor_bench %s %s ours_ms=%.1f floor_ms=%.1f ratio=%.3f", op, what.c_str(), ours, floor, ours / floor);
}

} // namespace bench
