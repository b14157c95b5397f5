#pragma once

// The tab lines of the editor bench: fifty pages opened into tabs, switched between and closed,
// and the program's start with twenty pages against its start with none.

#include <QString>

namespace TabLines {

// The child runs. mode "tabs": who "ours" or "floor" (which also takes ours' layout and font,
// argv[5] and argv[6]), the pages in folder. mode "session" and "startup": who "ours" with
// twenty of the pages, "floor" with none, in the data folder argv[5]; startup's argv[6] is the
// clock (bench::monotonicNs) its parent read before starting it.
[[noreturn]] void runChild(int &argc, char **argv, const QString &folder, bool ours);

// Prints the lines; returns whether every goal was met.
bool run(const char *self, const QString &scratch);

} // namespace TabLines
