#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

// Lets the program tidy up when it is told to end by a signal it can catch: SIGTERM (the
// desktop logging out, a kill), SIGINT (Ctrl+C in a terminal) and SIGHUP (the terminal closed).
// The handler itself only writes the signal's number into a pipe; the clean-up runs on the
// thread of the event loop, where anything may be called, and the process then ends as the
// signal would have ended it. A second signal before that ends it at once; a signal the program
// was started to ignore (nohup) stays ignored. One per process. Owns the pipe and puts the
// earlier handlers back when it goes.
class TerminationSignals final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TerminationSignals)

public:
    explicit TerminationSignals(std::function<void()> cleanUp, QObject *parent = nullptr);
    ~TerminationSignals() override;

private:
    void arrived();

    std::function<void()> m_cleanUp;
    QSocketNotifier *m_notifier = nullptr;
};
