#pragma once

#include "app/sitesearchrules.h"
#include "workspace/site.h"

#include <QFuture>
#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

class CommandDispatcher;
class DocumentRegistry;
class PageContext;
class QDockWidget;
class QMainWindow;
class SiteSearchPanel;

// サイト内検索 (Ctrl+Shift+F): looks for a text in every page of the site the site panel shows
// and lists the matches in a panel docked under the editor. Pages open in a tab are searched as
// they stand, unsaved changes and all, taken on the window's thread where they live; the other
// files are read and searched on a worker, page by page, so a large site never stalls the
// window. Owns the dock and the running search; reaches the site and the tabs through links.
class SiteSearchCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SiteSearchCommands)

public:
    static inline const QString kHandler = QStringLiteral("mnuSiteSearchClick");

    struct Links
    {
        std::function<Site()> site;                        // the site shown in the site panel
        std::function<bool(const QString &path)> openPage; // false: the user kept the page in front
    };

    SiteSearchCommands(CommandDispatcher &commands,
                       PageContext &current,
                       const DocumentRegistry &registry,
                       QMainWindow &window,
                       Links links);
    ~SiteSearchCommands() override;

    QDockWidget &dock() const { return *m_dock; }
    SiteSearchPanel &panel() const { return *m_panel; }

    void show(); // mnuSiteSearchClick
    void start();
    void stop();

signals:
    // A search came to its end, or found no site or a wrong expression; not when stopped.
    void finished();

private:
    struct Result;
    void pagesSearched(const QList<Result> &results);
    void runEnded(const QString &failure);
    void openMatch(const QString &path, ReplaceRules::Range range);
    void backToEditor();

    PageContext &m_current;
    const DocumentRegistry &m_registry;
    Links m_links;
    QDockWidget *m_dock = nullptr;
    SiteSearchPanel *m_panel = nullptr;
    QFuture<void> m_run;
    // Set to stop the run going on; each run has its own, so a stopped run's pages are dropped.
    std::shared_ptr<std::atomic_bool> m_cancelled;
    int m_pagesFound = 0;
    int m_matches = 0;
    int m_skipped = 0;
    int m_pagesDone = 0;
};
