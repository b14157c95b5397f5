#include "app/sitereplacecommands.h"

#include "app/queueddelivery.h"
#include "app/sitereplacedialog.h"
#include "app/sitesearchcommands.h"
#include "app/sitesearchpanel.h"
#include "common/commanddispatcher.h"
#include "common/sitework.h"
#include "common/userdialogs.h"
#include "workspace/document.h"
#include "workspace/documentregistry.h"
#include "workspace/pagesource.h"
#include "workspace/panetext.h"

#include <QAction>
#include <QDateTime>
#include <QElapsedTimer>
#include <QMutex>
#include <QTextDocument>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

#include <numeric>
#include <vector>

namespace {

// How often a plan says how far it has come, at most.
constexpr qint64 kProgressMs = 100;

const QString kBusy = QStringLiteral("サイト内置換を実行しています。終わるまでお待ちください");

} // namespace

SiteReplaceCommands::SiteReplaceCommands(CommandDispatcher &commands,
                                         SiteSearchCommands &search,
                                         DocumentRegistry &registry,
                                         UserDialogs &dialogs,
                                         QAction &undoAction,
                                         QWidget &window,
                                         Links links)
    : QObject(&window), m_search(search), m_registry(registry), m_dialogs(dialogs), m_undoAction(undoAction),
      m_window(window), m_links(std::move(links)), m_tabEdits(registry)
{
    commands.add(kHandler, [this](int) { show(); });
    commands.add(kUndoHandler, [this](int) { undo(); });
    connect(&m_search.panel(), &SiteSearchPanel::replaceRequested, this, &SiteReplaceCommands::plan);
    // 中止 stops a plan as it stops a search; a replace already writing runs to its end, so that
    // each file is either old or new.
    connect(&m_search.panel(), &SiteSearchPanel::stopRequested, this, [this] {
        if (m_planning) {
            m_cancelled->store(true);
            m_busy = m_planning = false;
            m_search.panel().setRunning(false);
            say(QStringLiteral("中止しました"));
        }
    });
    updateUndo();
}

SiteReplaceCommands::~SiteReplaceCommands()
{
    if (m_cancelled)
        m_cancelled->store(true);
    m_run.waitForFinished();
}

void SiteReplaceCommands::runOnWorker(std::function<Call(const std::atomic_bool &, const Deliver &)> work)
{
    auto cancelled = std::make_shared<std::atomic_bool>(false);
    m_cancelled = cancelled;
    m_busy = true;
    const Deliver deliver = queuedTo(this, cancelled);
    m_run = QtConcurrent::run(&SiteWork::pool(), [work = std::move(work), cancelled, deliver] {
        SiteWork::yieldToWindow();
        Call done = work(*cancelled, deliver);
        deliver([done = std::move(done)](SiteReplaceCommands &self) {
            self.m_busy = false;
            done(self);
        });
    });
}

void SiteReplaceCommands::show()
{
    m_search.show();
    m_search.panel().focusReplacementText();
}

void SiteReplaceCommands::plan()
{
    if (m_busy)
        return say(kBusy);
    m_search.stop();
    SiteSearchPanel &panel = m_search.panel();
    panel.clearResults();
    if (panel.searchText().isEmpty())
        return say(QStringLiteral("検索する文字列を入力してください"));
    ReplaceRules::Pattern pattern(panel.searchText(), panel.options());
    if (!pattern.isValid())
        return say(pattern.errorMessage());
    const Site site = m_links.site();
    if (site.isNull())
        return say(SiteSearchRules::noSiteText());

    QHash<QByteArray, PageSource::Page> open = PageSource(m_registry).openPagesOf(site);
    panel.setRunning(true);
    say(QStringLiteral("置換する箇所を探しています…"));
    m_planning = true;
    const SearchPrefilter prefilter(panel.searchText(), panel.options());
    runOnWorker([site,
                 pattern = std::move(pattern),
                 prefilter,
                 with = m_search.panel().replacementText(),
                 open = std::move(open)](const std::atomic_bool &cancelled, const Deliver &deliver) -> Call {
        QList<Site::Entry> entries;
        try {
            entries = site.textFiles();
        } catch (const std::exception &error) {
            return [failure = QString::fromUtf8(error.what())](SiteReplaceCommands &self) { self.planFailed(failure); };
        }
        // Planned on every core, this thread among them, each page in its place of the listing.
        std::vector<SiteReplacePlan::Page> planned(size_t(entries.size()));
        std::atomic_int done = 0;
        QList<int> order(entries.size());
        std::iota(order.begin(), order.end(), 0);
        QElapsedTimer sinceProgress;
        sinceProgress.start();
        QMutex progressLock;
        QtConcurrent::blockingMap(&SiteWork::pool(), order, [&](int index) {
            SiteWork::yieldToWindow();
            if (cancelled.load())
                return;
            const QByteArray &path = entries.at(index).path;
            SiteReplacePlan::Page &page = planned[size_t(index)];
            if (const auto text = open.constFind(path); text != open.cend()) {
                page.localPath = site.localPath(path);
                page.shownPath = Site::displayName(path);
                page.open = true;
                page.text = text->text;
                page.changes = SiteReplacePlan::changesIn(pattern, page.text, with);
            } else if (SiteReplacePlan::planFile(site, path, pattern, with, &page, &prefilter)) {
                // The bytes are what the replace checks the file against; the text is done with.
                page.text.clear();
            }
            if (page.changes.isEmpty())
                page = {};
            const int count = ++done;
            const QMutexLocker locker(&progressLock);
            if (sinceProgress.elapsed() >= kProgressMs) {
                sinceProgress.restart();
                const QString progress =
                    QStringLiteral("置換する箇所を探しています… (%1/%2)").arg(count).arg(entries.size());
                deliver([progress](SiteReplaceCommands &self) { self.say(progress); });
            }
        });
        QList<SiteReplacePlan::Page> pages;
        for (SiteReplacePlan::Page &page : planned) {
            if (!page.changes.isEmpty())
                pages.append(std::move(page));
        }
        return [pages = std::move(pages)](SiteReplaceCommands &self) { self.planned(pages); };
    });
}

void SiteReplaceCommands::planFailed(const QString &failure)
{
    m_planning = false;
    m_search.panel().setRunning(false);
    say(failure);
    emit finished();
}

void SiteReplaceCommands::planned(const QList<SiteReplacePlan::Page> &pages)
{
    m_planning = false;
    m_search.panel().setRunning(false);
    if (pages.isEmpty()) {
        say(QStringLiteral("見つかりませんでした"));
        emit finished();
        return;
    }
    say(QStringLiteral("置換の確認を待っています"));
    SiteReplaceDialog preview(pages, &m_window);
    if (m_dialogs.exec(&preview) != QDialog::Accepted) {
        say(QStringLiteral("置換を取りやめました"));
        emit finished();
        return;
    }
    apply(pages, preview.ticked());
}

void SiteReplaceCommands::apply(const QList<SiteReplacePlan::Page> &pages, const QList<QList<bool>> &ticked)
{
    // The copies of the replace before go now, whatever this one writes: 元に戻す takes back the
    // last replace, never an older one.
    ReplaceUndoStore(m_links.undoFolder).drop();
    const SiteReplaceApply::TabOutcome tabs = m_tabEdits.apply(pages, ticked);
    QList<SiteReplaceApply::FilePage> files = SiteReplaceApply::filePages(pages, ticked);
    if (files.isEmpty())
        return filesWritten({}, tabs);
    say(QStringLiteral("置換しています…"));
    runOnWorker(
        [site = m_links.site(), files = std::move(files), folder = m_links.undoFolder, write = m_links.write, tabs](
            const std::atomic_bool &, const Deliver &) -> Call {
            ReplaceUndoStore store(folder);
            SiteReplaceApply::Outcome outcome =
                SiteReplaceApply::rewriteFiles(site, files, store, write, QDateTime::currentDateTimeUtc());
            return
                [outcome = std::move(outcome), tabs](SiteReplaceCommands &self) { self.filesWritten(outcome, tabs); };
        });
}

void SiteReplaceCommands::filesWritten(const SiteReplaceApply::Outcome &files, const SiteReplaceApply::TabOutcome &tabs)
{
    updateUndo();
    const QString text = SiteReplaceApply::summary(files, tabs);
    say(text.section(QLatin1Char('\n'), 0, 0));
    m_dialogs.message(&m_window, {QStringLiteral("サイト内置換"), text, DialogIcon::Information, {DialogButton::Ok}});
    emit finished();
}

void SiteReplaceCommands::undo()
{
    if (m_busy)
        return say(kBusy);
    const SiteTabEdits::Undone tabs = m_tabEdits.undo();
    const QStringList &tabsUndone = tabs.undone;
    const QStringList &tabsChanged = tabs.changed;
    if (!ReplaceUndoStore(m_links.undoFolder).holdsCopies(QDateTime::currentDateTimeUtc())) {
        undone({}, tabsUndone, tabsChanged);
        return;
    }
    say(QStringLiteral("元に戻しています…"));
    runOnWorker([folder = m_links.undoFolder, write = m_links.write, tabsUndone, tabsChanged](const std::atomic_bool &,
                                                                                              const Deliver &) -> Call {
        ReplaceUndoStore::Outcome outcome = ReplaceUndoStore(folder).restore(write);
        return [outcome = std::move(outcome), tabsUndone, tabsChanged](SiteReplaceCommands &self) {
            self.undone(outcome, tabsUndone, tabsChanged);
        };
    });
}

void SiteReplaceCommands::undone(const ReplaceUndoStore::Outcome &files,
                                 const QStringList &tabsUndone,
                                 const QStringList &tabsChanged)
{
    updateUndo();
    const QString text = SiteReplaceApply::undoSummary(files, tabsUndone, tabsChanged);
    say(text.section(QLatin1Char('\n'), 0, 0));
    m_dialogs.message(&m_window,
                      {QStringLiteral("元に戻す（サイト内置換）"), text, DialogIcon::Information, {DialogButton::Ok}});
    emit finished();
}

void SiteReplaceCommands::say(const QString &text)
{
    m_search.panel().setStatus(text);
}

void SiteReplaceCommands::updateUndo()
{
    m_undoAction.setEnabled(!m_tabEdits.isEmpty()
                            || ReplaceUndoStore(m_links.undoFolder).holdsCopies(QDateTime::currentDateTimeUtc()));
}
