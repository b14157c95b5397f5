#pragma once

// What every part of the benches in real windows shares: its rounds, the window's size, a frame,
// the clocks its lines read, and the way a run gives up.

#include <QElapsedTimer>
#include <QSize>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace bench {

constexpr int kRounds = 5;
constexpr double kFrameMs = 16;
constexpr QSize kWindowSize(1024, 768);

// The bench's name in what it says: each bench's children are the bench's own program again.
inline const char *benchName()
{
    return program_invocation_short_name;
}

// A run that cannot measure what it is for ends, and its parent with it (see runChild).
[[noreturn]] inline void fail(const char *what)
{
    std::fprintf(stderr, "%s: %s\n", benchName(), what);
    std::_Exit(1);
}

inline double cpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The machine's clock, the same in every process: a start-up is timed from its parent's fork.
inline long long monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Wall time and this process's CPU time of one step: on a machine shared with other work the
// wall time shows what the user waits for, the CPU time what the step itself costs.
struct Cost
{
    double wallMs = 0;
    double cpuMs = 0;
};

class Stopwatch
{
public:
    Stopwatch() : m_cpuStart(cpuMs()) { m_wall.start(); }
    Cost read() const { return {m_wall.nsecsElapsed() / 1e6, cpuMs() - m_cpuStart}; }

private:
    QElapsedTimer m_wall;
    double m_cpuStart;
};

} // namespace bench
