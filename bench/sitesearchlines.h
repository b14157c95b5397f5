#pragma once

// The site bench's search lines: サイト内検索 in the program's window over the bench's site,
// against ripgrep over the same pages.

#include "sitepages.h"

namespace SiteSearchLines {

// The child run: argv[3] the word (UTF-8), argv[4] the site's root.
[[noreturn]] void runChild(int &argc, char **argv);

// Prints the lines; returns whether every goal was met and every count agreed.
bool run(const char *self, const SitePages::Site &site);

} // namespace SiteSearchLines
