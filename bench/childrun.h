#pragma once

// What the benchmarks share: each measured run happens in a child process of its own, so that
// one run's caches and heap do not flatter the next and its peak memory is its own, and every
// line reports the median of its rounds.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {

struct ChildRun
{
    std::string output; // what the child printed
    double peakMiB = 0; // its peak resident memory
};

// Runs `self --child args…` and returns what it printed; a failed run ends the benchmark, since
// a line without it would compare nothing.
inline ChildRun runChild(const char *benchName, const char *self, const std::vector<const char *> &args)
{
    std::vector<const char *> argv{self, "--child"};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back(nullptr);
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        std::exit(1);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        // The child's platform notes would only interleave with the results.
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDERR_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        ::execv(self, const_cast<char *const *>(argv.data()));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    ChildRun run;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        run.output.append(buffer, size_t(n));
    ::close(pipeFds[0]);
    int status = 0;
    struct rusage usage
    {};
    ::wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::string what;
        for (const char *arg : args)
            what += std::string(" ") + arg;
        std::fprintf(stderr, "%s: a run of%s failed\n", benchName, what.c_str());
        std::exit(1);
    }
    run.peakMiB = usage.ru_maxrss / 1024.0;
    return run;
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace bench
