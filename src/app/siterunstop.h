#pragma once

#include <QString>

#include <atomic>
#include <memory>

// Stops a site-wide run shown in a panel (サイト内検索, サイトチェック): its worker sees the token and
// delivers nothing more, and the panel says so. Nothing happens when no run is under way.
template<typename Panel>
void stopSiteRun(std::shared_ptr<std::atomic_bool> &cancelled, Panel &panel)
{
    if (!cancelled)
        return;
    cancelled->store(true);
    cancelled.reset();
    panel.setRunning(false);
    panel.setStatus(QStringLiteral("中止しました"));
}
