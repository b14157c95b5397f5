#pragma once

#include "preview/autorefreshsetting.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

// Runs the preview's refresh by itself as the 自動反映 choice says: once the document has not
// been edited for a moment (a burst of keys gives one refresh, after its last key), or after
// each save. It is told of edits and saves; it owns only its timer.
class AutoRefresh final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AutoRefresh)

public:
    static constexpr std::chrono::milliseconds kIdleDelay{700};

    explicit AutoRefresh(std::function<void()> refresh,
                         QObject *parent = nullptr,
                         std::chrono::milliseconds idleDelay = kIdleDelay);

    AutoRefreshMode mode() const { return m_mode; }
    void setMode(AutoRefreshMode mode);

    void documentEdited();
    void documentSaved();

private:
    std::function<void()> m_refresh;
    AutoRefreshMode m_mode = AutoRefreshSetting::kDefault;
    QTimer m_idle;
};
