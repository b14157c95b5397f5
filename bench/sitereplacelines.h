#pragma once

// The site bench's replace line: a word replaced in every page of the site from the program's
// window, against sed, and how many Shift_JIS pages each leaves damaged.

#include <QString>

namespace SiteReplaceLines {

// The child run: argv[3] the word, argv[4] its replacement (UTF-8), argv[5] the site's root.
[[noreturn]] void runChild(int &argc, char **argv);

// Measures the line and prints it. scratch: where it writes the site anew for every run. Returns
// whether every goal was met: ours within twice sed's time, every place replaced by both, and no
// Shift_JIS page of ours damaged.
bool run(const char *self, const QString &scratch);

} // namespace SiteReplaceLines
