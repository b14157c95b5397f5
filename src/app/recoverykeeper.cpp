#include "app/recoverykeeper.h"

#include <exception>

namespace {

void writeQuietly(const RecoveryWork::Write &write)
{
    // Only a safety net: a data folder that cannot take the copy must not interrupt the typing
    // with a box every few seconds. Saving the document reports its own failures.
    try {
        write();
    } catch (const std::exception &) {
    }
}

} // namespace

RecoveryKeeper::RecoveryKeeper(RecoveryWork &work,
                               QObject *parent,
                               std::chrono::milliseconds idleDelay,
                               std::chrono::milliseconds longestDelay)
    : QObject(parent), m_work(work)
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(idleDelay);
    m_longest.setSingleShot(true);
    m_longest.setInterval(longestDelay);
    connect(&m_idle, &QTimer::timeout, this, &RecoveryKeeper::keepSoon);
    connect(&m_longest, &QTimer::timeout, this, &RecoveryKeeper::keepSoon);
    // One copy at a time: a second thread would only write an older text over a newer one.
    m_thread.setMaxThreadCount(1);
}

RecoveryKeeper::~RecoveryKeeper()
{
    settle();
}

void RecoveryKeeper::documentEdited()
{
    m_idle.start();
    if (!m_longest.isActive())
        m_longest.start();
}

void RecoveryKeeper::modificationChanged(bool modified)
{
    if (!modified)
        discard();
}

void RecoveryKeeper::keepSoon()
{
    m_idle.stop();
    m_longest.stop();
    if (m_taking || m_writing) {
        m_skipped = true;
        return;
    }
    m_taking = true;
    m_work.take([this](std::optional<RecoveryWork::Write> write) { taken(std::move(write)); });
}

void RecoveryKeeper::taken(std::optional<RecoveryWork::Write> write)
{
    m_taking = false;
    if (!write) {
        m_work.discard();
        return;
    }
    m_writing = true;
    const quint64 copy = ++m_copies;
    m_thread.start([this, copy, write = std::move(*write)] {
        writeQuietly(write);
        QMetaObject::invokeMethod(
            this, [this, copy] { written(copy); }, Qt::QueuedConnection);
    });
}

void RecoveryKeeper::written(quint64 copy)
{
    // Already waited for, or a later copy is under way.
    if (copy != m_copies || !m_writing)
        return;
    m_writing = false;
    // The copy skipped meanwhile comes a pause later, with whatever was typed since.
    if (m_skipped) {
        m_skipped = false;
        m_idle.start();
    }
}

void RecoveryKeeper::settle()
{
    m_idle.stop();
    m_longest.stop();
    if (m_taking) {
        m_work.stopTaking();
        m_taking = false;
    }
    m_thread.waitForDone();
    m_writing = false;
    m_skipped = false;
}

void RecoveryKeeper::keepNow()
{
    settle();
    const std::optional<RecoveryWork::Write> write = m_work.takeAtOnce();
    if (!write) {
        m_work.discard();
        return;
    }
    writeQuietly(*write);
}

void RecoveryKeeper::discard()
{
    settle();
    m_work.discard();
}
