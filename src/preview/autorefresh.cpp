#include "preview/autorefresh.h"

AutoRefresh::AutoRefresh(Page page, QObject *parent, std::chrono::milliseconds idleDelay)
    : QObject(parent), m_page(std::move(page))
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(idleDelay);
    connect(&m_idle, &QTimer::timeout, this, &AutoRefresh::refreshByItself);
    m_moved.setSingleShot(true);
    m_moved.setInterval(0);
    connect(&m_moved, &QTimer::timeout, this, &AutoRefresh::refreshMoved);
}

void AutoRefresh::setMode(AutoRefreshMode mode)
{
    m_mode = mode;
    m_heldBack = false;
    if (mode != AutoRefreshMode::WhenIdle)
        m_idle.stop();
    if (mode == AutoRefreshMode::Manual)
        m_moved.stop();
}

void AutoRefresh::documentEdited()
{
    // Every key starts the wait again, so the page is written once the typing pauses, not on
    // each key.
    if (m_mode == AutoRefreshMode::WhenIdle)
        m_idle.start();
}

void AutoRefresh::refreshByItself()
{
    // The question's answer may well change the page: the refresh comes a pause after it.
    if (m_page.questionOpen && m_page.questionOpen()) {
        m_idle.start();
        return;
    }
    if (m_page.size && m_page.size() > kLargestWhileTyping) {
        m_heldBack = true;
        if (!m_noticeShown && m_page.tell)
            m_page.tell(kTooLargeNotice);
        m_noticeShown = true;
        return;
    }
    // Back under the size: should it grow past it again, the user hears of it again.
    m_noticeShown = false;
    m_heldBack = false;
    m_page.refresh();
}

void AutoRefresh::documentSaved()
{
    if (m_mode != AutoRefreshMode::WhenSaved && !m_heldBack)
        return;
    m_heldBack = false;
    m_moved.stop();
    m_page.refresh();
}

void AutoRefresh::documentMoved()
{
    m_heldBack = false;
    m_noticeShown = false;
    // Queued: the command that moved the document still has its folder to change.
    if (m_mode != AutoRefreshMode::Manual)
        m_moved.start();
}

void AutoRefresh::refreshMoved()
{
    // The text the move brought in is shown now; its pause would only show it again.
    m_idle.stop();
    refreshByItself();
}
