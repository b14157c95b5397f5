#pragma once

#include "app/sitemoveapply.h"
#include "app/sitereplaceplan.h"
#include "app/sitetabedits.h"
#include "pagecheck/linkretarget.h"
#include "workspace/site.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>

class DocumentRegistry;
class QWidget;
class SitePanel;
class UserDialogs;

// The rename or move the site panel asks for, with the links to it: the pages of the site are
// planned on a worker (the links into what moves, and those out of a moved page), the changes
// are shown as サイト内置換 shows its own, and then the entry is moved and the ticked links are
// rewritten, open tabs in one undoable step each, pages on disk byte for byte outside the links.
// The move and its rewriting are made together on the window's thread, so nothing can change
// the tree between the two. 元に戻す（名前の変更・移動） in the panel's menu takes back the last
// move with its links, once, while the entry can go back to its old place. Owns the plan's run
// and what the last move needs to be taken back.
class SiteMoveCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SiteMoveCommands)

public:
    static inline const QString kUndoHandler = QStringLiteral("SiteMoveUndoClick");

    struct Links
    {
        QString undoFolder; // where the pages' old bytes are kept for 元に戻す
        SiteReplaceApply::Writer write = [](const QList<BatchWrite::File> &files) { return BatchWrite::write(files); };
    };

    SiteMoveCommands(SitePanel &panel, DocumentRegistry &registry, UserDialogs &dialogs, QWidget &window, Links links);
    ~SiteMoveCommands() override;

    // from, to: local paths, checked by the panel.
    void move(const QString &from, const QString &to);
    void undo();

signals:
    // A move or its undo came to its end (made, refused or given up).
    void finished();

private:
    struct Pending
    {
        Site site;
        SiteMoveApply::Move local;
        LinkRetarget::Move inSite;
    };

    void startPlan(const QString &from, const QString &to);
    void planned();
    void apply(const QList<SiteReplacePlan::Page> &pages, const QList<QList<bool>> &ticked);
    void tell(const QString &title, const QString &text);
    void updateUndo();

    SitePanel &m_panel;
    DocumentRegistry &m_registry;
    UserDialogs &m_dialogs;
    QWidget &m_window;
    Links m_links;
    QFutureWatcher<QList<SiteReplacePlan::Page>> m_plan;
    std::shared_ptr<std::atomic_bool> m_cancelled;
    std::optional<Pending> m_pending; // being planned or asked about
    std::optional<Pending> m_last;    // made, for its undo
    SiteTabEdits m_tabEdits;          // of the last move
};
