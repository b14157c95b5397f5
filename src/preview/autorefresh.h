#pragma once

#include "preview/autorefreshsetting.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

// Runs the preview's refresh by itself as the 自動反映 choice says: once the document has not
// been edited for a moment (a burst of keys gives one refresh, after its last key), or after
// each save; and, either way, at once when the document becomes another file, so that the page
// is shown from its new folder. A refresh that comes due while a question waits for the user's
// answer is taken up again after it, so nothing this does ever runs inside another box. It is
// told of edits, saves and moves; it owns only its timers.
class AutoRefresh final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AutoRefresh)

public:
    static constexpr std::chrono::milliseconds kIdleDelay{700};

    // What the refresh works on; the window gives it.
    struct Page
    {
        std::function<void()> refresh;
        std::function<bool()> questionOpen; // a question waits for the user's answer
    };

    explicit AutoRefresh(Page page, QObject *parent = nullptr, std::chrono::milliseconds idleDelay = kIdleDelay);

    AutoRefreshMode mode() const { return m_mode; }
    void setMode(AutoRefreshMode mode);

    void documentEdited();
    void documentSaved();
    // The document is another file (opened, saved under another name): refreshed once the
    // command that moved it has finished, in place of a refresh its edits or save would bring.
    void documentMoved();

private:
    void refreshMoved();
    // Refreshes now, or a pause later when a question is open.
    void refreshUnlessAsking();

    Page m_page;
    AutoRefreshMode m_mode = AutoRefreshSetting::kDefault;
    QTimer m_idle;
    QTimer m_moved;
};
