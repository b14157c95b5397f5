#pragma once

#include "app/sitereplaceapply.h"
#include "app/sitereplaceplan.h"
#include "app/sitetabedits.h"
#include "workspace/replaceundostore.h"
#include "workspace/site.h"

#include <QFuture>
#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>

class CommandDispatcher;
class DocumentRegistry;
class QAction;
class QTextDocument;
class QWidget;
class SiteSearchCommands;
class UserDialogs;

// サイト内置換 (Ctrl+Shift+H) and 元に戻す（サイト内置換）: the site search's text with a
// replacement, planned on a worker page by page, shown for the user to tick, then made. A page
// open in a tab gets one undoable edit there; a page on disk is rewritten byte for byte outside
// the replaced text, after its old bytes are kept for taking the replace back. The window never
// waits for the disk.
class SiteReplaceCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SiteReplaceCommands)

public:
    static inline const QString kHandler = QStringLiteral("mnuSiteReplaceClick");
    static inline const QString kUndoHandler = QStringLiteral("mnuSiteReplaceUndoClick");

    struct Links
    {
        std::function<Site()> site; // the site shown in the site panel
        QString undoFolder;         // where the copies for 元に戻す are kept
        SiteReplaceApply::Writer write = [](const QList<BatchWrite::File> &files) { return BatchWrite::write(files); };
    };

    SiteReplaceCommands(CommandDispatcher &commands,
                        SiteSearchCommands &search,
                        DocumentRegistry &registry,
                        UserDialogs &dialogs,
                        QAction &undoAction,
                        QWidget &window,
                        Links links);
    ~SiteReplaceCommands() override;

    void show(); // mnuSiteReplaceClick
    void plan();
    void undo(); // mnuSiteReplaceUndoClick

signals:
    // A replace or its undo came to its end, its summary shown; or a plan found nothing.
    void finished();

private:
    void planned(const QList<SiteReplacePlan::Page> &pages);
    void apply(const QList<SiteReplacePlan::Page> &pages, const QList<QList<bool>> &ticked);
    void filesWritten(const SiteReplaceApply::Outcome &files, const SiteReplaceApply::TabOutcome &tabs);
    void undone(const ReplaceUndoStore::Outcome &files, const QStringList &tabsUndone, const QStringList &tabsChanged);
    void say(const QString &text);
    void updateUndo();
    using Call = std::function<void(SiteReplaceCommands &)>;
    using Deliver = std::function<void(Call)>;
    // Runs work on a worker; what it delivers, and the call it ends with, run here on the
    // window's thread, unless the run was stopped first.
    void runOnWorker(std::function<Call(const std::atomic_bool &cancelled, const Deliver &deliver)> work);
    void planFailed(const QString &failure);

    SiteSearchCommands &m_search;
    DocumentRegistry &m_registry;
    UserDialogs &m_dialogs;
    QAction &m_undoAction;
    QWidget &m_window;
    Links m_links;
    QFuture<void> m_run;
    std::shared_ptr<std::atomic_bool> m_cancelled;
    bool m_busy = false;     // a plan, a replace or its undo runs
    bool m_planning = false; // the run is a plan, which 中止 stops
    SiteTabEdits m_tabEdits; // of the last replace, for its undo
};
