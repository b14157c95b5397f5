#pragma once

// A bench's side of its child runs: what a child printed; and the editor bench's lines made of it.

#include <map>
#include <string>
#include <vector>

namespace bench {

// A child's output: one value per line, after the value's name.
struct ChildValues
{
    std::map<std::string, std::string> lines;
    double peakMiB = 0;

    double number(const std::string &name) const;
    const char *text(const std::string &name) const;
};

// Runs `self --child args…`; a failed run ends the bench.
ChildValues runBenchChild(const char *self, const std::vector<const char *> &args);

// Begins an output line: "editor_bench <op> <what> ours_ms=… floor_ms=… ratio=…"; the caller
// adds its own values and ends the line.
void printLine(const char *op, const std::string &what, double ours, double floor);

} // namespace bench
