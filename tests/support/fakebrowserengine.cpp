#include "support/fakebrowserengine.h"

#include "preview/browserengineerror.h"

#include <utility>

FakeBrowserEngine::FakeBrowserEngine(QObject *parent) : BrowserEngine(parent)
{}

void FakeBrowserEngine::navigate(const QString &address)
{
    if (m_refusal) {
        const QString text = *m_refusal;
        m_refusal.reset();
        throw BrowserEngineError(text);
    }
    navigations.append({address, m_offline});
    m_pages.resize(m_current + 1);
    m_pages.append(address);
    m_current = m_pages.size() - 1;
    m_shownOverride.clear();
    m_title.clear();
    scroll = QPointF();
}

void FakeBrowserEngine::goBack()
{
    if (m_current <= 0)
        throw BrowserEngineError(QStringLiteral("前のページはありません"));
    --m_current;
    m_shownOverride.clear();
}

void FakeBrowserEngine::goForward()
{
    if (m_current + 1 >= m_pages.size())
        throw BrowserEngineError(QStringLiteral("次のページはありません"));
    ++m_current;
    m_shownOverride.clear();
}

void FakeBrowserEngine::stop()
{
    ++stopCount;
}

void FakeBrowserEngine::setOffline(bool offline)
{
    m_offline = offline;
    offlineWrites.append(offline);
}

QString FakeBrowserEngine::locationUrl() const
{
    if (!m_shownOverride.isNull())
        return m_shownOverride;
    return m_current < 0 ? QString() : m_pages.at(m_current);
}

void FakeBrowserEngine::completeLoad(const QString &address, const QString &title)
{
    emit downloadBegin();
    emit progressChange(40, 100);
    m_shownOverride = address;
    m_title = title;
    if (m_scrollToRestore)
        scroll = *std::exchange(m_scrollToRestore, std::nullopt);
    emit progressChange(100, 100);
    emit documentComplete();
}

void FakeBrowserEngine::refuseNextNavigation(const QString &engineText)
{
    m_refusal = engineText;
}
