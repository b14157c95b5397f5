#pragma once

#include "app/recoverywork.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <chrono>

// Keeps a copy of the unsaved work a few seconds after each change: once the typing pauses, and
// while it goes on at least every little while, so a crash loses seconds, not the page. The
// copy goes when the document has nothing unsaved any more (saved, or its changes thrown away).
// Told of edits and of the modification flag; takes the page only when it keeps it, so a key
// costs no more than a timer restart, and writes it on a worker thread of its own. A copy that
// falls due while the last one is still being taken or written is skipped, not queued: the next
// one, a pause later, has the newer text anyway. Refers to the work; owns its timers and thread.
class RecoveryKeeper final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecoveryKeeper)

public:
    static constexpr std::chrono::milliseconds kIdleDelay{3000};
    static constexpr std::chrono::milliseconds kLongestDelay{10000};

    explicit RecoveryKeeper(RecoveryWork &work,
                            QObject *parent = nullptr,
                            std::chrono::milliseconds idleDelay = kIdleDelay,
                            std::chrono::milliseconds longestDelay = kLongestDelay);
    // Waits for a copy being written: a copy is whole or not there.
    ~RecoveryKeeper() override;

    void documentEdited();
    void modificationChanged(bool modified);
    // Keeps (or drops) the copy at once, on this thread, once a copy under way is written.
    void keepNow();
    // The work is saved or deliberately thrown away: no copy is kept any more, not even one
    // being written now (the wait for it ends before this returns).
    void discard();

private:
    void keepSoon();
    void taken(std::optional<RecoveryWork::Write> write);
    void written(quint64 copy);
    // Stops the timers and a take under way, and waits for a write under way.
    void settle();

    RecoveryWork &m_work;
    QTimer m_idle;
    QTimer m_longest;
    QThreadPool m_thread;
    quint64 m_copies = 0; // the copies handed to the thread so far
    bool m_taking = false;
    bool m_writing = false;
    bool m_skipped = false; // a copy fell due while one was under way
};
