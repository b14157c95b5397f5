#include "app/sitesearchcommands.h"

#include "app/bottomdock.h"
#include "app/queueddelivery.h"
#include "app/searchprefilter.h"
#include "app/siterunstop.h"
#include "app/sitesearchpanel.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "common/commanddispatcher.h"
#include "common/regularfile.h"
#include "common/sitework.h"
#include "common/textcontent.h"
#include "common/usererror.h"
#include "workspace/document.h"
#include "workspace/documentregistry.h"
#include "workspace/pagesource.h"

#include <QDockWidget>
#include <QElapsedTimer>
#include <QHash>
#include <QMainWindow>
#include <QMutex>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

#include <numeric>
#include <utility>

namespace {

// How often a running search hands its pages' rows to the window at most.
constexpr qint64 kDeliveryMs = 30;

} // namespace

struct SiteSearchCommands::Result
{
    int order = 0; // the page's place in the site's listing
    int total = 0;
    QString localPath;
    QString shownPath;
    QList<SiteSearchRules::Match> matches;
    bool skipped = false;
};

SiteSearchCommands::SiteSearchCommands(CommandDispatcher &commands,
                                       PageContext &current,
                                       const DocumentRegistry &registry,
                                       QMainWindow &window,
                                       Links links)
    : QObject(&window), m_current(current), m_registry(registry), m_links(std::move(links))
{
    m_panel = new SiteSearchPanel;
    m_dock = BottomDock::add(window, QStringLiteral("サイト内検索"), "SiteSearchDock", m_panel);

    commands.add(kHandler, [this](int) { show(); });
    connect(m_panel, &SiteSearchPanel::searchRequested, this, &SiteSearchCommands::start);
    connect(m_panel, &SiteSearchPanel::stopRequested, this, &SiteSearchCommands::stop);
    connect(m_panel, &SiteSearchPanel::matchChosen, this, &SiteSearchCommands::openMatch);
    connect(m_panel, &SiteSearchPanel::leaveRequested, this, &SiteSearchCommands::backToEditor);
}

SiteSearchCommands::~SiteSearchCommands()
{
    // The worker delivers to this object: it ends before this does.
    if (m_cancelled)
        m_cancelled->store(true);
    m_run.waitForFinished();
}

void SiteSearchCommands::show()
{
    const QString selected = EditorAdapter(m_current.editor()).selectedText();
    if (!selected.isEmpty() && !selected.contains(QLatin1Char('\n')))
        m_panel->setSearchText(selected);
    m_dock->show();
    m_dock->raise();
    m_panel->focusSearchText();
}

void SiteSearchCommands::start()
{
    stop();
    m_panel->clearResults();
    m_pagesFound = m_matches = m_skipped = m_pagesDone = 0;
    if (m_panel->searchText().isEmpty())
        return m_panel->setStatus({});
    ReplaceRules::Pattern pattern(m_panel->searchText(), m_panel->options());
    if (!pattern.isValid())
        return runEnded(pattern.errorMessage());
    const Site site = m_links.site();
    if (site.isNull())
        return runEnded(SiteSearchRules::noSiteText());

    QHash<QByteArray, PageSource::Page> open = PageSource(m_registry).openPagesOf(site);
    auto cancelled = std::make_shared<std::atomic_bool>(false);
    m_cancelled = cancelled;
    m_panel->setRunning(true);
    m_panel->setStatus(SiteSearchRules::progressText(0, 0));
    const auto deliver = queuedTo(this, cancelled);
    const SearchPrefilter prefilter(m_panel->searchText(), m_panel->options());
    m_run = QtConcurrent::run(
        &SiteWork::pool(), [site, pattern = std::move(pattern), prefilter, open = std::move(open), cancelled, deliver] {
            SiteWork::yieldToWindow();
            QList<Site::Entry> pages;
            try {
                pages = site.textFiles();
            } catch (const std::exception &error) {
                deliver(
                    [message = QString::fromUtf8(error.what())](SiteSearchCommands &self) { self.runEnded(message); });
                return;
            }
            // The pages are read and searched on every core, this thread among them, and their
            // results go to the window a batch at a time: a row and a repaint for each page as it
            // came kept the window's thread as busy as the search.
            QMutex batchLock;
            QList<Result> batch;
            QElapsedTimer sinceDelivery;
            sinceDelivery.start();
            const auto flush = [&] {
                if (!batch.isEmpty())
                    deliver([results = std::exchange(batch, {})](SiteSearchCommands &self) {
                        self.pagesSearched(results);
                    });
                sinceDelivery.restart();
            };
            QList<int> order(pages.size());
            std::iota(order.begin(), order.end(), 0);
            QtConcurrent::blockingMap(&SiteWork::pool(), order, [&](int index) {
                SiteWork::yieldToWindow();
                if (cancelled->load())
                    return;
                Result result;
                result.order = index;
                result.total = int(pages.size());
                result.localPath = site.localPath(pages[index].path);
                result.shownPath = Site::displayName(pages[index].path);
                try {
                    if (const auto text = open.constFind(pages[index].path); text != open.cend()) {
                        result.matches = SiteSearchRules::matchesIn(pattern, text->text);
                    } else {
                        const QByteArray bytes = RegularFile::readAll(result.localPath, RegularFile::kDocumentLimit);
                        // A file that is no text counts as skipped, whether the text is in it or not.
                        if (TextContent::startsLikeBinary(bytes))
                            result.skipped = true;
                        else if (prefilter.mayMatch(bytes))
                            result.matches =
                                SiteSearchRules::matchesIn(pattern, PageSource::filePage(result.localPath, bytes).text);
                    }
                } catch (const std::exception &) {
                    // Too large, no text, or gone since the walk: not a page to search.
                    result.skipped = true;
                }
                const QMutexLocker locker(&batchLock);
                batch.append(std::move(result));
                if (sinceDelivery.elapsed() >= kDeliveryMs)
                    flush();
            });
            if (cancelled->load())
                return;
            flush();
            deliver([](SiteSearchCommands &self) { self.runEnded({}); });
        });
}

void SiteSearchCommands::stop()
{
    stopSiteRun(m_cancelled, *m_panel);
}

void SiteSearchCommands::pagesSearched(const QList<Result> &results)
{
    for (const Result &result : results) {
        ++m_pagesDone;
        if (result.skipped)
            ++m_skipped;
        if (result.matches.isEmpty())
            continue;
        ++m_pagesFound;
        m_matches += int(result.matches.size());
        m_panel->addPage(result.order, result.localPath, result.shownPath, result.matches);
    }
    if (!results.isEmpty())
        m_panel->setStatus(SiteSearchRules::progressText(m_pagesDone, results.constFirst().total));
}

void SiteSearchCommands::runEnded(const QString &failure)
{
    m_cancelled.reset();
    m_panel->setRunning(false);
    m_panel->setStatus(failure.isEmpty() ? SiteSearchRules::outcomeText(m_pagesFound, m_matches, m_skipped) : failure);
    emit finished();
}

void SiteSearchCommands::openMatch(const QString &path, ReplaceRules::Range range)
{
    if (!m_links.openPage(path))
        return;
    EditorStack &editor = m_current.editor();
    EditorAdapter(editor).setSelection(range.start, range.length);
    editor.ensureCursorVisible();
    editor.view().setFocus();
}

void SiteSearchCommands::backToEditor()
{
    m_current.editor().view().setFocus();
}
