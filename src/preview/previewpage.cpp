#include "preview/previewpage.h"

#include <QTimer>

PreviewPage::PreviewPage(QWebEngineProfile *profile, CopyFinder findCopy, QObject *parent)
    : QWebEnginePage(profile, parent), m_findCopy(std::move(findCopy))
{}

bool PreviewPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (isMainFrame && m_findCopy) {
        const QUrl copy = m_findCopy(url);
        if (!copy.isEmpty()) {
            // Not from inside the engine's own decision: the refused navigation ends first.
            QTimer::singleShot(0, this, [this, copy] { load(copy); });
            return false;
        }
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}
