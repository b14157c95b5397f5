#include "app/recoverykeeper.h"

#include "app/recoverystore.h"

#include <exception>

RecoveryKeeper::RecoveryKeeper(RecoveryStore &store,
                               std::function<std::optional<KeptPage>()> unsaved,
                               QObject *parent,
                               std::chrono::milliseconds idleDelay,
                               std::chrono::milliseconds longestDelay)
    : QObject(parent), m_store(store), m_unsaved(std::move(unsaved))
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(idleDelay);
    m_longest.setSingleShot(true);
    m_longest.setInterval(longestDelay);
    connect(&m_idle, &QTimer::timeout, this, &RecoveryKeeper::keepNow);
    connect(&m_longest, &QTimer::timeout, this, &RecoveryKeeper::keepNow);
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

void RecoveryKeeper::keepNow()
{
    m_idle.stop();
    m_longest.stop();
    const std::optional<KeptPage> page = m_unsaved();
    if (!page) {
        m_store.discard();
        return;
    }
    // Only a safety net: a data folder that cannot take the copy must not interrupt the typing
    // with a box every few seconds. Saving the document reports its own failures.
    try {
        m_store.keep(*page);
    } catch (const std::exception &) {
    }
}

void RecoveryKeeper::discard()
{
    m_idle.stop();
    m_longest.stop();
    m_store.discard();
}
