#pragma once

#include "common/commanddispatcher.h"
#include "workspace/site.h"

#include <QDockWidget>
#include <QMap>
#include <QString>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QMenu;
class QTreeView;
class SiteFileCommands;
class SiteTreeModel;
class UserDialogs;

// The サイト panel beside the editor: the site's folder tree with each file's kind, the page
// being edited marked, following the folder as files come and go, hidden files on request.
// Opening an entry (double-click or Enter) asks for a page to be opened or a picture to be
// shown; pictures drag into the editor, and any entry onto a folder of the tree to move it. Its
// pop-up menu (also Shift+F10 or the menu key; F2 and Delete directly) makes pages and folders,
// asks for a new name or folder, deletes to the trash and makes a folder the transfer window's
// 公開元. A rename or move, checked, is asked of the window, which updates the links to it. It has its own command dispatch, whose failures are shown over it.
// Owns its controls, its tree model and its file commands.
class SitePanel final : public QDockWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SitePanel)

public:
    // isEdited: whether a path is the page being edited or a folder holding it (kept as it is).
    SitePanel(UserDialogs &dialogs, std::function<bool(const QString &path)> isEdited, QWidget *parent);
    ~SitePanel() override;

    void setSite(const Site &site);
    const Site &site() const;
    void setCurrentPage(const QString &path);
    bool showsHiddenFiles() const;
    void setShowsHiddenFiles(bool shown);

    CommandDispatcher &dispatcher() { return m_dispatcher; }
    QMenu *popupMenu() const { return m_popup; }
    QTreeView *tree() const { return m_tree; }
    // The entry the commands work on: the selected one, else the site's root.
    QString currentPath() const;
    // Selects the entry at path (once the tree has read its folder).
    void select(const QString &path);

signals:
    void pageOpened(const QString &path);
    void imageOpened(const QString &path);
    void publishSourceChosen(const QString &folder);
    // The entry at from is to be renamed or moved to to: a free name, in the site, checked.
    void moveRequested(const QString &from, const QString &to);
    void hiddenFilesChanged(bool shown);
    // The panel's own close button was used.
    void closedByUser();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildPopupMenu();
    void registerCommands();
    void open(const QModelIndex &index);
    // The folder new entries go into: the selected folder, the selected file's, else the root.
    QString targetFolder() const;
    void showRoot();
    void selectPending();
    // Names the tree cannot show, said under it: the folder at path was read.
    void checkNames(const QString &path);
    void showUnnamed();

    CommandDispatcher m_dispatcher;
    SiteTreeModel *m_model = nullptr;
    QTreeView *m_tree = nullptr;
    QLabel *m_rootLabel = nullptr;
    QLabel *m_notice = nullptr;
    QCheckBox *m_hiddenFiles = nullptr;
    QMenu *m_popup = nullptr;
    std::unique_ptr<SiteFileCommands> m_files;
    // An entry made or renamed just now, selected once the tree has read it.
    QString m_pendingSelection;
    // By folder inside the site: the names that are not UTF-8, which the tree cannot show.
    QMap<QByteArray, QList<QByteArray>> m_unnamed;
};
