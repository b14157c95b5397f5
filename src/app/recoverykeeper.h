#pragma once

#include "app/keptpage.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

class RecoveryStore;

// Keeps a copy of the unsaved work a few seconds after each change: once the typing pauses, and
// while it goes on at least every little while, so a crash loses seconds, not the page. The
// copy goes when the document has nothing unsaved any more (saved, or its changes thrown away).
// Told of edits and of the modification flag; asks for the unsaved work only when it keeps it,
// so a key costs no more than a timer restart. Refers to the store; owns its timers.
class RecoveryKeeper final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecoveryKeeper)

public:
    static constexpr std::chrono::milliseconds kIdleDelay{3000};
    static constexpr std::chrono::milliseconds kLongestDelay{10000};

    // unsaved: the page as it stands, or nullopt when nothing is unsaved.
    RecoveryKeeper(RecoveryStore &store,
                   std::function<std::optional<KeptPage>()> unsaved,
                   QObject *parent = nullptr,
                   std::chrono::milliseconds idleDelay = kIdleDelay,
                   std::chrono::milliseconds longestDelay = kLongestDelay);

    void documentEdited();
    void modificationChanged(bool modified);
    // Keeps (or drops) the copy at once.
    void keepNow();
    // The work is saved or deliberately thrown away: no copy is kept any more.
    void discard();

private:
    RecoveryStore &m_store;
    std::function<std::optional<KeptPage>()> m_unsaved;
    QTimer m_idle;
    QTimer m_longest;
};
