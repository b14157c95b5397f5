#include "preview/webenginebrowser.h"

#include "preview/browserengineerror.h"
#include "preview/errorpage.h"
#include "preview/offlinecopies.h"
#include "preview/offlinerequestinterceptor.h"
#include "preview/phonefitscript.h"
#include "preview/previewkeyrouter.h"
#include "preview/previewpage.h"
#include "preview/previewwidth.h"
#include "preview/rendererpriority.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLayout>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// Qt WebEngine reports progress in percent.
constexpr int kProgressMax = 100;

// Chromium's numbers for a load that was cut short on purpose (stop, another navigation, a
// download) and for one the request interceptor refused.
constexpr int kAborted = -3;
constexpr int kBlockedByClient = -20;

const QUrl kWarmUpPage(QStringLiteral("about:blank"));

// The scroll-keeping script's name, so it can be taken out again once its load is over.
const QString kScrollScriptName = QStringLiteral("qzweb-keep-scroll");

// The program's own error pages are shown from data addresses and the warm-up page is blank;
// nothing else in the pane is.
bool isOwnPage(const QUrl &url)
{
    return url.scheme() == QLatin1String("data") || url == kWarmUpPage;
}

bool isOwnPageLoad(const QWebEngineLoadingInfo &info)
{
    return isOwnPage(info.url());
}

// Scrolls once the document's structure is there and again after its pictures are in, which
// can make the page taller. It runs in its own world, so it works with the page's scripts off.
QString scrollScript(const QPointF &position)
{
    return QStringLiteral("(function () {"
                          "  function go() { window.scrollTo(%1, %2); }"
                          "  go();"
                          "  window.addEventListener('load', go);"
                          "})();")
        .arg(position.x())
        .arg(position.y());
}

} // namespace

WebEngineBrowser::WebEngineBrowser(QWidget *pane, QObject *parent) : BrowserEngine(parent), m_pane(pane)
{}

WebEngineBrowser::~WebEngineBrowser()
{
    // A page must go before its profile, or the engine warns and may crash on exit.
    delete m_keyRouter;
    // The frame tells of its children going while it is half gone; this no longer listens.
    if (m_frame)
        m_frame->removeEventFilter(this);
    delete m_frame.data();
    delete m_desktop.profile;
    delete m_phone.profile;
}

WebEngineBrowser::Browsing &WebEngineBrowser::browsingFor(int pageWidth)
{
    Browsing &browsing = pageWidth > 0 ? m_phone : m_desktop;
    if (browsing.profile)
        return browsing;
    browsing.profile = new QWebEngineProfile(); // no storage name: in memory only, for this run
    if (m_desktopAgent.isEmpty())
        m_desktopAgent = browsing.profile->httpUserAgent();
    if (pageWidth > 0)
        browsing.profile->setHttpUserAgent(PreviewWidth::phoneUserAgent(m_desktopAgent));
    browsing.interceptor = new OfflineRequestInterceptor(browsing.profile);
    browsing.profile->setUrlRequestInterceptor(browsing.interceptor);
    connect(browsing.profile, &QWebEngineProfile::downloadRequested, this, &WebEngineBrowser::downloadRequested);
    return browsing;
}

void WebEngineBrowser::showPagesOf(Browsing &browsing)
{
    QPointer<QWebEnginePage> old = m_page;
    m_page = new PreviewPage(
        browsing.profile, [this](const QUrl &url) { return offlineCopyFor(url); }, m_view);
    m_view->setPage(m_page);
    delete old.data();
    m_interceptor = browsing.interceptor;
    // The engine's own error pages are English; the pane shows the program's instead.
    m_page->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    // A page refreshed while the user types must leave the keyboard in the editor.
    m_page->settings()->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    connect(m_page, &QWebEnginePage::loadingChanged, this, &WebEngineBrowser::loadingChanged);
}

void WebEngineBrowser::ensureView()
{
    if (m_view)
        return;
    if (!m_pane)
        throw BrowserEngineError(QStringLiteral("プレビューの表示先がありません"));
    m_frame = new QFrame(m_pane);
    m_frame->setObjectName(QStringLiteral("WebBrowser1Frame"));
    m_frame->setAccessibleName(m_pane->accessibleName());
    auto *frameLayout = new QVBoxLayout(m_frame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    m_view = new QWebEngineView(m_frame);
    m_view->setObjectName(QStringLiteral("WebBrowser1View"));
    m_view->setAccessibleName(m_pane->accessibleName());
    showPagesOf(browsingFor(m_pageWidth));
    frameLayout->addWidget(m_view);
    if (QLayout *paneLayout = m_pane->layout())
        paneLayout->addWidget(m_frame);
    m_frame->show();

    connect(m_view, &QWebEngineView::loadProgress, this, [this](int percent) {
        if (!m_ownPageLoading)
            emit progressChange(percent, kProgressMax);
    });

    m_keyRouter = new PreviewKeyRouter(m_frame, m_settings.answerAccelerator() == HostAnswer::LeftToEngine);
    qApp->installEventFilter(m_keyRouter);
    applySettings();
    m_frame->installEventFilter(this);
    fitPageWidth();
}

void WebEngineBrowser::setPageWidth(int cssWidth)
{
    if (cssWidth == m_pageWidth)
        return;
    const bool phoneBefore = m_pageWidth > 0;
    m_pageWidth = cssWidth;
    if (!m_view)
        return;
    fitPageWidth();
    const QUrl shown = m_view->url();
    if ((cssWidth > 0) != phoneBefore) {
        // The page shown is asked for again as the phone (or the computer) asks for it.
        forgetScrollRestore();
        showPagesOf(browsingFor(cssWidth));
        applySettings();
        if (!shown.isEmpty())
            m_view->load(shown);
    } else if (!shown.isEmpty()) {
        m_view->reload(); // measured again at the new width
    }
}

void WebEngineBrowser::fitPageWidth()
{
    QLayout *layout = m_frame->layout();
    const int room = m_frame->contentsRect().width();
    // Beside a phone's screen the pane is grey, so the screen's edges show.
    QPalette colours = m_frame->palette();
    colours.setColor(QPalette::Window,
                     m_pageWidth > 0 ? QColor(Qt::lightGray) : m_pane->palette().color(QPalette::Window));
    m_frame->setPalette(colours);
    m_frame->setAutoFillBackground(m_pageWidth > 0);
    if (m_pageWidth <= 0 || room <= 0) {
        m_view->setMinimumWidth(0);
        m_view->setMaximumWidth(QWIDGETSIZE_MAX);
        m_view->setZoomFactor(1.0);
        layout->setAlignment(m_view, Qt::Alignment());
        return;
    }
    // A phone's screen in the middle of the pane; where the pane is narrower, the page is shrunk
    // to fit rather than cut, and still laid out at the phone's width.
    constexpr qreal kSmallestZoom = 0.25;
    const qreal zoom = qBound(kSmallestZoom, qreal(room) / m_pageWidth, 1.0);
    m_view->setFixedWidth(qRound(m_pageWidth * zoom));
    m_view->setZoomFactor(zoom);
    layout->setAlignment(m_view, Qt::AlignHCenter);
}

bool WebEngineBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && m_pageWidth > 0 && watched == m_frame)
        fitPageWidth();
    return BrowserEngine::eventFilter(watched, event);
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
    for (const Browsing *browsing : {&m_desktop, &m_phone}) {
        if (!browsing->profile)
            continue;
        browsing->profile->setHttpCacheType(options.httpCache ? QWebEngineProfile::MemoryHttpCache
                                                              : QWebEngineProfile::NoCache);
        browsing->interceptor->setFrameDownloads(options.frameDownloads);
        browsing->interceptor->setOffline(m_offline || options.forceOffline);
    }
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
    // The engine starts a render process for the first load and may start another for a page
    // of another origin; it tells its number only once the process is there. A process still
    // starting makes threads while it is lowered, and a thread made by one not yet lowered
    // keeps the old niceness: each step of a load looks again.
    RendererPriority::lower(m_view->page()->renderProcessPid());
    // The program's own pages (an error page, also when history brings it back) are no
    // documents of the user's: they start no progress and complete nothing.
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        m_ownPageLoading = isOwnPageLoad(info);
        if (!m_ownPageLoading)
            emit downloadBegin();
        if (m_scrollRestore == ScrollRestore::Waiting && !m_ownPageLoading) {
            m_scrollRestore = ScrollRestore::Loading;
            m_scrollRestoreUrl = info.url();
        }
        return;
    }
    // Only the end of the load the scroll was meant for: a load it replaced ends later.
    if (m_scrollRestore == ScrollRestore::Loading && info.url() == m_scrollRestoreUrl)
        forgetScrollRestore();
    if (m_ownPageLoading) {
        m_ownPageLoading = false;
        return;
    }
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        emit documentComplete();
        keepCopy(info.url());
        measurePhoneFit(info.url());
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

void WebEngineBrowser::measurePhoneFit(const QUrl &url)
{
    if (m_pageWidth <= 0)
        return;
    // The answer may come after the pane, or this engine, is gone.
    const QPointer<WebEngineBrowser> self(this);
    m_view->page()->runJavaScript(
        PhoneFitScript::script(), QWebEngineScript::ApplicationWorld, [self, url](const QVariant &answer) {
            if (!self)
                return;
            if (const auto fit = PhoneFitScript::read(answer))
                emit self->phoneFitMeasured(url.toString(), *fit);
        });
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

void WebEngineBrowser::keepCopy(const QUrl &url)
{
    // Qt WebEngine has no way to load a page from its HTTP cache alone, so the pane keeps its
    // own copy of each web page it showed online, the page as shown with its pictures and
    // style sheets, to show it again offline.
    if (!m_view || !m_interceptor || m_interceptor->isOffline()
        || !OfflineRequestInterceptor::isNetworkScheme(url.scheme()))
        return;
    if (!m_copyFolder) {
        m_copyFolder = std::make_unique<QTemporaryDir>();
        m_copies = std::make_unique<OfflineCopies>(m_copyFolder->path());
    }
    // Without a folder there are no copies; offline then shows what it shows for any page.
    if (!m_copyFolder->isValid())
        return;
    m_view->page()->save(m_copies->reserve(url.toString()), QWebEngineDownloadRequest::MimeHtmlSaveFormat);
}

void WebEngineBrowser::downloadRequested(QWebEngineDownloadRequest *download)
{
    if (!m_copies || !download->isSavePageDownload())
        return;
    const QString path = QDir(download->downloadDirectory()).filePath(download->downloadFileName());
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, [this, download, path] {
        if (!download->isFinished() || !m_copies)
            return;
        if (download->state() == QWebEngineDownloadRequest::DownloadCompleted)
            m_copies->commit(path);
        else
            m_copies->discard(path);
    });
}

QUrl WebEngineBrowser::offlineCopyFor(const QUrl &url) const
{
    if (!m_copies || !m_interceptor || !m_interceptor->isOffline()
        || !OfflineRequestInterceptor::isNetworkScheme(url.scheme()))
        return QUrl();
    const QString copy = m_copies->copyOf(url.toString());
    return copy.isEmpty() || !QFile::exists(copy) ? QUrl() : QUrl::fromLocalFile(copy);
}

void WebEngineBrowser::warmUp()
{
    if (m_view)
        return;
    ensureView();
    m_view->load(kWarmUpPage);
}

QPointF WebEngineBrowser::scrollPosition() const
{
    return m_view ? m_view->page()->scrollPosition() : QPointF();
}

void WebEngineBrowser::restoreScrollOnNextLoad(const QPointF &position)
{
    ensureView();
    forgetScrollRestore();
    QWebEngineScript script;
    script.setName(kScrollScriptName);
    script.setSourceCode(scrollScript(position));
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    m_view->page()->scripts().insert(script);
    m_scrollRestore = ScrollRestore::Waiting;
}

void WebEngineBrowser::forgetScrollRestore()
{
    m_scrollRestore = ScrollRestore::None;
    if (!m_view)
        return;
    QWebEngineScriptCollection &scripts = m_view->page()->scripts();
    for (const QWebEngineScript &script : scripts.find(kScrollScriptName))
        scripts.remove(script);
}

void WebEngineBrowser::goBack()
{
    // The warm-up page is no page of the user's: nothing to go back to.
    if (!m_view || !m_view->history()->canGoBack() || m_view->history()->backItem().url() == kWarmUpPage)
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
    for (const Browsing *browsing : {&m_desktop, &m_phone}) {
        if (browsing->interceptor)
            browsing->interceptor->setOffline(offline || m_settings.engineOptions().forceOffline);
    }
}

QString WebEngineBrowser::locationUrl() const
{
    if (!m_view)
        return QString();
    // A page shown from its offline copy is still the page of the web it is a copy of.
    const QUrl shown = m_view->url();
    if (shown == kWarmUpPage)
        return QString();
    if (m_copies && shown.isLocalFile()) {
        if (const QString address = m_copies->addressOfCopy(shown.toLocalFile()); !address.isEmpty())
            return address;
    }
    return shown.toString();
}

QString WebEngineBrowser::locationName() const
{
    return m_view ? m_view->title() : QString();
}
