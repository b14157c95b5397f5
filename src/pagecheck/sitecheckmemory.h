#pragma once

#include "pagecheck/sitecheck.h"

#include <QMutex>
#include <QString>

// What the site check last read of one site, shared by whoever checks it (the サイトチェック
// panel, the check before a publish), so that each run reads again only what changed since any
// of them. One run at a time holds it; another waits for it to let go. Another site's files are
// other files: the memory starts over when the root changes.
class SiteCheckMemory
{
public:
    template<typename Work>
    auto use(const QString &root, Work &&work)
    {
        const QMutexLocker locker(&m_lock);
        if (root != m_root) {
            m_memory.clear();
            m_root = root;
        }
        return work(m_memory);
    }

private:
    QMutex m_lock;
    SiteCheck::Memory m_memory;
    QString m_root;
};
