#include "toolrun.h"

#include "benchbasics.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace ToolRun {

Result run(const QByteArray &program, const QList<QByteArray> &arguments, const QList<QByteArray> &environment)
{
    // Everything the child needs is made before the clock starts: it only execs.
    QList<QByteArray> bytes = QList<QByteArray>{program} + arguments;
    std::vector<char *> argv;
    for (QByteArray &argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    QList<QByteArray> settings = environment;
    std::vector<char *> envp;
    for (QByteArray &setting : settings)
        envp.push_back(setting.data());

    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        bench::fail("no pipe for a tool");
    const bench::Stopwatch watch;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        for (char *setting : envp)
            ::putenv(setting);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    Result result;
    char buffer[65536];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        result.output.append(buffer, size_t(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.ms = watch.read().wallMs;
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    return result;
}

} // namespace ToolRun
