#pragma once

#include "pagecheck/sitecheck.h"
#include "pagecheck/sitecheckmemory.h"
#include "workspace/site.h"

#include <QFuture>
#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class CommandDispatcher;
class DocumentRegistry;
class QDockWidget;
class QMainWindow;
class SiteCheckPanel;

// サイトチェック (編集 menu, the site panel's pop-up menu): checks every page of the site the site
// panel shows, and what only the whole site shows, and lists the findings by file in a panel
// docked under the editor. Pages open in tabs are checked as they stand, unsaved changes and
// all, taken on the window's thread; everything else is read on workers, so a large site never
// stalls the window. What a run read is kept for the next, which reads again only what changed.
// Owns the dock, the running check and that memory; reaches the site and the tabs through links.
class SiteCheckCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SiteCheckCommands)

public:
    static inline const QString kHandler = QStringLiteral("mnuSiteCheckClick");

    struct Links
    {
        std::function<Site()> site;                          // the site shown in the site panel
        std::function<bool(const QString &path)> openPage;   // false: the user kept the page in front
        std::function<void(int line, int column)> moveCaret; // in the page in front
        std::function<void()> backToEditor;
        // The server a site is published to (its transfer settings' host), whose addresses the
        // external check may ask even where they are not public; empty when none is known.
        std::function<QString(const Site &site)> siteHost;
        QString optionsPath; // where 外部リンクも確かめる is remembered
    };

    SiteCheckCommands(CommandDispatcher &commands, const DocumentRegistry &registry, QMainWindow &window, Links links);
    ~SiteCheckCommands() override;

    QDockWidget &dock() const { return *m_dock; }
    SiteCheckPanel &panel() const { return *m_panel; }

    void showAndCheck(); // mnuSiteCheckClick
    // サイトチェック of another site than the site panel's (the one the transfer window
    // publishes); チェック then checks that site again, until the next showAndCheck().
    void showAndCheck(const Site &site);
    void start();
    void stop();
    // What the runs read, shared with the check before a publish.
    std::shared_ptr<SiteCheckMemory> memory() const { return m_memory; }

signals:
    // A check came to its end, or found no site; not when stopped.
    void finished();

private:
    void showAndStart();
    void showOutcome(const SiteCheck::Outcome &outcome, const Site &site, const QString &external);
    void runEnded(const QString &status);
    void openPlace(const QString &path, int line, int column);

    const DocumentRegistry &m_registry;
    Links m_links;
    QDockWidget *m_dock = nullptr;
    SiteCheckPanel *m_panel = nullptr;
    QFuture<void> m_run;
    // Set to stop the run going on; each run has its own, so a stopped run's news is dropped.
    std::shared_ptr<std::atomic_bool> m_cancelled;
    std::shared_ptr<SiteCheckMemory> m_memory = std::make_shared<SiteCheckMemory>();
    std::optional<Site> m_chosenSite;
    bool m_focusRows = false;
};
