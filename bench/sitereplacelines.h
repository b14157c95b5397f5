#pragma once

// The site bench's replace line: a word replaced in every page of the site from the program's
// window, against sed, and how many Shift_JIS pages each leaves damaged.

#include <QString>

namespace SiteReplaceLines {

// The child run: argv[3] the word, argv[4] its replacement (UTF-8), argv[5] the site's root.
[[noreturn]] void runChild(int &argc, char **argv);

// Measures the line and prints it once the window can replace across the site; until then says
// on the error output what it measured of the floor. scratch: where it writes the site anew for
// every run. Returns whether every goal was met (true while the line cannot be measured).
bool run(const char *self, const QString &scratch);

} // namespace SiteReplaceLines
