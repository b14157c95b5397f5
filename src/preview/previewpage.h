#pragma once

#include <QUrl>
#include <QWebEnginePage>

#include <functional>

// The page of the preview pane's view. While the pane is offline a page of the web that has a
// copy from earlier in this run is shown from that copy instead, whichever way it was asked
// for (an address, a link, back or forward); everything else goes its usual way.
class PreviewPage final : public QWebEnginePage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreviewPage)

public:
    // Answers the local copy to show for an address, or an empty address for none.
    using CopyFinder = std::function<QUrl(const QUrl &)>;

    PreviewPage(QWebEngineProfile *profile, CopyFinder findCopy, QObject *parent = nullptr);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    CopyFinder m_findCopy;
};
