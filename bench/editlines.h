#pragma once

// The open and edit lines of the editor bench: a big page opened, and keys typed in it.

#include <QString>

namespace EditLines {

// The child runs: mode "open", "edit" or "ime" (the input method's line, in the edit lines'
// windows), who "ours" or "floor"; the floor's edit and ime runs also take ours' layout and font
// (argv[5], argv[6]).
[[noreturn]] void runChild(int &argc, char **argv, const QString &page, bool ours);

// Prints the lines for each page size; returns whether every goal was met.
bool run(const char *self, const QString &scratch);

} // namespace EditLines
