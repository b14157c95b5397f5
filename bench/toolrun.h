#pragma once

// Another program the bench measures against, run as a user runs it from a shell: a process of
// its own, timed from before it is started until it has ended, its start-up and all.

#include <QByteArray>
#include <QList>

#include <string>

namespace ToolRun {

struct Result
{
    std::string output; // what it wrote to its standard output
    int exitCode = -1;  // -1: it did not end by itself
    double ms = 0;      // wall time from before the fork until it was reaped
};

// program: looked up on PATH. The arguments are bytes, as a shell passes them: a pattern can be
// given in a page's own encoding. environment: NAME=value pairs put over the bench's own.
Result run(const QByteArray &program, const QList<QByteArray> &arguments, const QList<QByteArray> &environment = {});

} // namespace ToolRun
