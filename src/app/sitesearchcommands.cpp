#include "app/sitesearchcommands.h"

#include "app/bottomdock.h"
#include "app/sitesearchpanel.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "common/commanddispatcher.h"
#include "common/usererror.h"
#include "workspace/document.h"
#include "workspace/documentregistry.h"
#include "workspace/pagesource.h"

#include <QDockWidget>
#include <QHash>
#include <QMainWindow>
#include <QtConcurrent/QtConcurrentRun>

struct SiteSearchCommands::Result
{
    int done = 0;
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
    m_pagesFound = m_matches = m_skipped = 0;
    if (m_panel->searchText().isEmpty())
        return m_panel->setStatus({});
    ReplaceRules::Pattern pattern(m_panel->searchText(), m_panel->options());
    if (!pattern.isValid())
        return runEnded(pattern.errorMessage());
    const Site site = m_links.site();
    if (site.isNull())
        return runEnded(QStringLiteral("サイトがありません。ファイル → サイトのフォルダを開く で選んでください"));

    QHash<QByteArray, PageSource::Page> open = PageSource(m_registry).openPagesOf(site);
    auto cancelled = std::make_shared<std::atomic_bool>(false);
    m_cancelled = cancelled;
    m_panel->setRunning(true);
    m_panel->setStatus(SiteSearchRules::progressText(0, 0));
    // Each delivery is queued to this object's thread, and dropped there once this run was
    // stopped: a page of an old run never lands among a new one's.
    const auto deliver = [this, cancelled](auto call) {
        QMetaObject::invokeMethod(
            this,
            [this, cancelled, call = std::move(call)] {
                if (!cancelled->load())
                    call(*this);
            },
            Qt::QueuedConnection);
    };
    m_run = QtConcurrent::run([site, pattern = std::move(pattern), open = std::move(open), cancelled, deliver] {
        QList<Site::Entry> pages;
        try {
            pages = site.textFiles();
        } catch (const std::exception &error) {
            deliver([message = QString::fromUtf8(error.what())](SiteSearchCommands &self) { self.runEnded(message); });
            return;
        }
        for (qsizetype index = 0; index < pages.size(); ++index) {
            if (cancelled->load())
                return;
            Result result;
            result.done = int(index + 1);
            result.total = int(pages.size());
            result.localPath = site.localPath(pages[index].path);
            result.shownPath = Site::displayName(pages[index].path);
            try {
                const auto text = open.constFind(pages[index].path);
                const QString pageText = text != open.cend() ? text->text : PageSource::filePage(result.localPath).text;
                result.matches = SiteSearchRules::matchesIn(pattern, pageText);
            } catch (const std::exception &) {
                // Too large, no text, or gone since the walk: not a page to search.
                result.skipped = true;
            }
            deliver([result = std::move(result)](SiteSearchCommands &self) { self.pageSearched(result); });
        }
        deliver([](SiteSearchCommands &self) { self.runEnded({}); });
    });
}

void SiteSearchCommands::stop()
{
    if (!m_cancelled)
        return;
    m_cancelled->store(true);
    m_cancelled.reset();
    m_panel->setRunning(false);
    m_panel->setStatus(QStringLiteral("中止しました"));
}

void SiteSearchCommands::pageSearched(const Result &result)
{
    m_panel->setStatus(SiteSearchRules::progressText(result.done, result.total));
    if (result.skipped)
        ++m_skipped;
    if (result.matches.isEmpty())
        return;
    ++m_pagesFound;
    m_matches += int(result.matches.size());
    m_panel->addPage(result.localPath, result.shownPath, result.matches);
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
