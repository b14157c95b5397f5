#include "common/terminationsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int kSignalCount = 3;

int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_pending = 0;
struct sigaction g_previous[kSignalCount];
bool g_installed[kSignalCount] = {};

// Only what is safe in a signal handler: write(2), signal(2) and raise(3).
void onSignal(int number)
{
    if (g_pending != 0) {
        // Told twice: the clean-up is stuck or slow, and the user means it.
        std::signal(number, SIG_DFL);
        std::raise(number);
        return;
    }
    g_pending = number;
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void()> cleanUp, QObject *parent)
    : QObject(parent), m_cleanUp(std::move(cleanUp))
{
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::arrived);
    for (int i = 0; i < kSignalCount; ++i) {
        struct sigaction current
        {};
        if (::sigaction(kSignals[i], nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        struct sigaction wanted
        {};
        wanted.sa_handler = onSignal;
        sigemptyset(&wanted.sa_mask);
        wanted.sa_flags = SA_RESTART;
        g_installed[i] = ::sigaction(kSignals[i], &wanted, &g_previous[i]) == 0;
    }
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    for (int i = 0; i < kSignalCount; ++i) {
        if (g_installed[i])
            ::sigaction(kSignals[i], &g_previous[i], nullptr);
        g_installed[i] = false;
    }
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
    g_pending = 0;
}

void TerminationSignals::arrived()
{
    unsigned char byte = 0;
    if (::read(g_pipe[0], &byte, 1) != 1)
        return;
    const int number = byte;
    try {
        if (m_cleanUp)
            m_cleanUp();
    } catch (...) {
        // Ending is what was asked; a clean-up that failed must not keep the program alive.
    }
    std::signal(number, SIG_DFL);
    std::raise(number);
    // Only reached when the signal is blocked on this thread.
    ::_exit(128 + number);
}
