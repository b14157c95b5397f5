#pragma once

// The input method's line of the editor bench: a converted word committed at the top of a big
// page, until the window shows it.

#include <QString>

namespace bench {
class Typist;
}

namespace ImeLines {

// The timed steps, in the child's window of either kind; prints each step's median.
void runCommits(const bench::Typist &subject);

// Prints the line; returns whether its goal was met.
bool run(const char *self, const QString &scratch);

} // namespace ImeLines
