#include "preview/webenginebrowser.h"

#include "preview/browserengineerror.h"
#include "preview/offlinerequestinterceptor.h"
#include "preview/previewkeyrouter.h"

#include <QApplication>
#include <QFrame>
#include <QLayout>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// Qt WebEngine reports progress in percent.
constexpr int kProgressMax = 100;

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

    connect(m_view, &QWebEngineView::loadStarted, this, &BrowserEngine::downloadBegin);
    connect(m_view, &QWebEngineView::loadProgress, this, [this](int percent) { emit progressChange(percent, kProgressMax); });
    connect(m_view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        if (ok)
            emit documentComplete();
        else
            emit navigateError();
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
