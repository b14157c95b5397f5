#pragma once

#include "preview/browserengine.h"
#include "preview/browserhostsettings.h"

#include <QFrame>
#include <QPointer>
#include <QUrl>
#include <QWebEngineView>

#include <memory>

class OfflineCopies;
class OfflineRequestInterceptor;
class PreviewKeyRouter;
class QTemporaryDir;
class QWebEngineDownloadRequest;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWidget;

// The browser engine of the preview pane, on Qt WebEngine. Starting the engine is costly, so
// the view is made on the first navigation, inside the given pane; until then the pane stays
// blank and nothing of Chromium runs. Pages, page history and cache live in a private
// in-memory profile for this run only. Offline, a web page seen earlier in the run is shown
// from the pane's own copy of it; a page that cannot be loaded is replaced by the program's
// own Japanese error page. It owns the copies (in a temporary folder), the view (through its
// frame), the profile, the request interceptor that makes offline mode real, and the key router.
class WebEngineBrowser final : public BrowserEngine
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WebEngineBrowser)

public:
    explicit WebEngineBrowser(QWidget *pane, QObject *parent = nullptr);
    ~WebEngineBrowser() override;

    void navigate(const QString &address) override;
    void goBack() override;
    void goForward() override;
    void stop() override;
    void setOffline(bool offline) override;
    bool isOffline() const override { return m_offline; }
    QString locationUrl() const override;
    QString locationName() const override;
    void warmUp() override;
    QPointF scrollPosition() const override;
    void restoreScrollOnNextLoad(const QPointF &position) override;
    void setPageWidth(int cssWidth) override;

    const BrowserHostSettings &hostSettings() const { return m_settings; }
    void setHostSettings(const BrowserHostSettings &settings);

    // The view once the first navigation has made it; null before.
    QWebEngineView *view() const { return m_view; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Where pages are shown from: the computer's profile, or at a phone's width the phone's, with
    // a phone's user agent and a cache and cookies of its own, as a phone beside the computer
    // has. Both in memory only, for this run; made when first needed.
    struct Browsing
    {
        QWebEngineProfile *profile = nullptr;
        OfflineRequestInterceptor *interceptor = nullptr;
    };
    Browsing &browsingFor(int pageWidth);
    // Puts a new page of browsing's profile into the view, in place of the one there.
    void showPagesOf(Browsing &browsing);

    void ensureView();
    void fitPageWidth();
    void measurePhoneFit(const QUrl &url);
    void applySettings();
    void loadingChanged(const QWebEngineLoadingInfo &info);
    void showErrorPage(const QWebEngineLoadingInfo &info);
    void keepCopy(const QUrl &url);
    void downloadRequested(QWebEngineDownloadRequest *download);
    QUrl offlineCopyFor(const QUrl &url) const;
    void forgetScrollRestore();

    QPointer<QWidget> m_pane;
    BrowserHostSettings m_settings;
    bool m_offline = false;
    int m_pageWidth = 0;
    QString m_desktopAgent;
    bool m_ownPageLoading = false; // the load under way shows one of the program's own pages
    enum class ScrollRestore {
        None,
        Waiting, // for the next load to start
        Loading, // the load of m_scrollRestoreUrl
    };
    ScrollRestore m_scrollRestore = ScrollRestore::None;
    QUrl m_scrollRestoreUrl;
    Browsing m_desktop;
    Browsing m_phone;
    OfflineRequestInterceptor *m_interceptor = nullptr; // the shown page's profile's
    QPointer<QWebEnginePage> m_page;
    PreviewKeyRouter *m_keyRouter = nullptr;
    QPointer<QFrame> m_frame;
    QPointer<QWebEngineView> m_view;
    std::unique_ptr<QTemporaryDir> m_copyFolder; // made when the first web page is shown
    std::unique_ptr<OfflineCopies> m_copies;
};
