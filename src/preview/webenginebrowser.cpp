#include "preview/webenginebrowser.h"

#include "preview/browserengineerror.h"
#include "preview/errorpage.h"
#include "preview/offlinerequestinterceptor.h"
#include "preview/previewkeyrouter.h"

#include <QApplication>
#include <QFrame>
#include <QLayout>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// Qt WebEngine reports progress in percent.
constexpr int kProgressMax = 100;

// Chromium's numbers for a load that was cut short on purpose (stop, another navigation, a
// download) and for one the request interceptor refused.
constexpr int kAborted = -3;
constexpr int kBlockedByClient = -20;

// The program's own error pages are shown from data addresses; nothing else in the pane is.
bool isOwnPageLoad(const QWebEngineLoadingInfo &info)
{
    return info.url().scheme() == QLatin1String("data");
}

} // namespace

WebEngineBrowser::WebEngineBrowser(QWidget *pane, QObject *parent) : BrowserEngine(parent), m_pane(pane) {}

WebEngineBrowser::~WebEngineBrowser()
{
    // A page must go before its profile, or the engine warns and may crash on exit.
    delete m_keyRouter;
    delete m_frame.data();
    delete m_profile;
}

void WebEngineBrowser::ensureView()
{
    if (m_view)
        return;
    if (!m_pane)
        throw BrowserEngineError(QStringLiteral("プレビューの表示先がありません"));
    if (!m_profile) {
        m_profile = new QWebEngineProfile(); // no storage name: in memory only, for this run
        m_interceptor = new OfflineRequestInterceptor(m_profile);
        m_profile->setUrlRequestInterceptor(m_interceptor);
    }
    m_frame = new QFrame(m_pane);
    m_frame->setObjectName(QStringLiteral("WebBrowser1Frame"));
    m_frame->setAccessibleName(m_pane->accessibleName());
    auto *frameLayout = new QVBoxLayout(m_frame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    m_view = new QWebEngineView(m_frame);
    m_view->setObjectName(QStringLiteral("WebBrowser1View"));
    m_view->setAccessibleName(m_pane->accessibleName());
    m_view->setPage(new QWebEnginePage(m_profile, m_view));
    frameLayout->addWidget(m_view);
    if (QLayout *paneLayout = m_pane->layout())
        paneLayout->addWidget(m_frame);
    m_frame->show();

    // The engine's own error pages are English; the pane shows the program's instead.
    m_view->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    connect(m_view->page(), &QWebEnginePage::loadingChanged, this, &WebEngineBrowser::loadingChanged);
    connect(m_view, &QWebEngineView::loadProgress, this, [this](int percent) {
        if (!m_ownPageLoading)
            emit progressChange(percent, kProgressMax);
    });

    m_keyRouter = new PreviewKeyRouter(m_frame, m_settings.answerAccelerator() == HostAnswer::LeftToEngine);
    qApp->installEventFilter(m_keyRouter);
    applySettings();
}

void WebEngineBrowser::setHostSettings(const BrowserHostSettings &settings)
{
    m_settings = settings;
    if (m_view)
        applySettings();
}

void WebEngineBrowser::applySettings()
{
    const EngineOptions options = m_settings.engineOptions();
    m_view->setContextMenuPolicy(options.engineContextMenu ? Qt::DefaultContextMenu : Qt::NoContextMenu);
    m_frame->setFrameStyle(options.sunkenFrame ? (QFrame::StyledPanel | QFrame::Sunken) : QFrame::NoFrame);
    QWebEngineSettings *settings = m_view->settings();
    settings->setAttribute(QWebEngineSettings::ShowScrollBars, options.scrollBars);
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, options.javascript);
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, options.autoLoadImages);
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, !options.mediaAutoplay);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, options.plugins);
    m_profile->setHttpCacheType(options.httpCache ? QWebEngineProfile::MemoryHttpCache : QWebEngineProfile::NoCache);
    m_interceptor->setFrameDownloads(options.frameDownloads);
    m_interceptor->setOffline(m_offline || options.forceOffline);
    m_keyRouter->setAcceleratorsToPage(options.acceleratorsToPage);
}

void WebEngineBrowser::navigate(const QString &address)
{
    if (address.trimmed().isEmpty())
        throw BrowserEngineError(QStringLiteral("移動先のアドレスがありません"));
    const QUrl url = QUrl::fromUserInput(address);
    if (!url.isValid())
        throw BrowserEngineError(QStringLiteral("アドレス %1 は開けません").arg(address));
    ensureView();
    m_view->load(url);
}

void WebEngineBrowser::loadingChanged(const QWebEngineLoadingInfo &info)
{
    // The program's own pages (an error page, also when history brings it back) are no
    // documents of the user's: they start no progress and complete nothing.
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        m_ownPageLoading = isOwnPageLoad(info);
        if (!m_ownPageLoading)
            emit downloadBegin();
        return;
    }
    if (m_ownPageLoading) {
        m_ownPageLoading = false;
        return;
    }
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        emit documentComplete();
        break;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        emit navigateError();
        showErrorPage(info);
        break;
    default: // stopped
        emit navigateError();
        break;
    }
}

void WebEngineBrowser::showErrorPage(const QWebEngineLoadingInfo &info)
{
    const int code = info.errorCode();
    ErrorPage::Cause cause = ErrorPage::Cause::Other;
    if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain)
        cause = ErrorPage::Cause::HttpStatus;
    else if (code == kAborted)
        return; // the user or a newer load ended it: nothing failed
    else if (code == kBlockedByClient && m_interceptor && m_interceptor->isOffline()
             && OfflineRequestInterceptor::isNetworkScheme(info.url().scheme()))
        cause = ErrorPage::Cause::Offline;
    else
        cause = ErrorPage::causeOfNetError(code);
    // Shown under the failed address, as a browser shows its error pages: the pane's address
    // stays the one the user asked for, and back leads to the page before it.
    m_view->setHtml(ErrorPage::html(cause, info.url().toString(), code), info.url());
}

void WebEngineBrowser::goBack()
{
    if (!m_view || !m_view->history()->canGoBack())
        throw BrowserEngineError(QStringLiteral("前のページはありません"));
    m_view->back();
}

void WebEngineBrowser::goForward()
{
    if (!m_view || !m_view->history()->canGoForward())
        throw BrowserEngineError(QStringLiteral("次のページはありません"));
    m_view->forward();
}

void WebEngineBrowser::stop()
{
    if (m_view)
        m_view->stop();
}

void WebEngineBrowser::setOffline(bool offline)
{
    m_offline = offline;
    if (m_interceptor)
        m_interceptor->setOffline(offline || m_settings.engineOptions().forceOffline);
}

QString WebEngineBrowser::locationUrl() const
{
    return m_view ? m_view->url().toString() : QString();
}

QString WebEngineBrowser::locationName() const
{
    return m_view ? m_view->title() : QString();
}
