#include "preview/autorefresh.h"

AutoRefresh::AutoRefresh(std::function<void()> refresh, QObject *parent, std::chrono::milliseconds idleDelay)
    : QObject(parent), m_refresh(std::move(refresh))
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(idleDelay);
    connect(&m_idle, &QTimer::timeout, this, [this] { m_refresh(); });
}

void AutoRefresh::setMode(AutoRefreshMode mode)
{
    m_mode = mode;
    if (mode != AutoRefreshMode::WhenIdle)
        m_idle.stop();
}

void AutoRefresh::documentEdited()
{
    // Every key starts the wait again, so the page is written once the typing pauses, not on
    // each key.
    if (m_mode == AutoRefreshMode::WhenIdle)
        m_idle.start();
}

void AutoRefresh::documentSaved()
{
    if (m_mode == AutoRefreshMode::WhenSaved)
        m_refresh();
}
