#pragma once

// The site bench's check line: サイトチェック over the whole site from the program's window,
// against Debian's linkchecker over file://, and how many of the planted faults each found.

#include <QString>

namespace SiteCheckLines {

// The child run: argv[3] the site's root.
[[noreturn]] void runChild(int &argc, char **argv);

// Measures the line and prints it. scratch: where it writes its sites. Returns whether every
// goal was met: ours within half linkchecker's time, every planted fault found, and the
// re-check after one page's edit within 200 ms and right about it.
bool run(const char *self, const QString &scratch);

} // namespace SiteCheckLines
