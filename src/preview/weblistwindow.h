#pragma once

#include "common/commanddispatcher.h"
#include "preview/weblisttree.h"

#include <QDialog>

#include <functional>

class BrowserEngine;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class UserDialogs;

// The history and favourites window (Form4): a two-level tree of the visited pages by day, or
// of the favourites by category. The user goes to a listed page, groups the page now shown into
// categories (favourites only), renames and deletes nodes; 閉じる and WEBに表示させる write the
// list back, the close box discards the changes. Made anew for every opening over a copy of the
// list. Owns its controls and its command dispatch; the engine and the write-back are the
// opener's.
class WebListWindow final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WebListWindow)

public:
    using Mode = WebListTree::Mode;

    struct Services
    {
        BrowserEngine *engine = nullptr;                    // the page now shown
        std::function<void(const QString &)> browse;        // goes there, the online flag applied
        std::function<void(const QStringList &)> writeBack; // keeps the lines; throws on failure
    };

    WebListWindow(
        UserDialogs &dialogs, Mode mode, const QStringList &lines, Services services, QWidget *parent = nullptr);

    Mode mode() const { return m_mode; }
    // The tree as it now stands.
    WebListTree content() const;

    void showSelected();   // Button1Click, WEBに表示させる
    void saveAndClose();   // Button2Click, 閉じる
    void addCategory();    // Add1Click, 新しい分類を作成
    void addToCategory();  // Add2Click, この分類の下に追加
    void deleteSelected(); // Delete1Click, 削除

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void fill(const QStringList &lines);
    QTreeWidgetItem *selectedNode() const;
    // The selected category, when the add commands apply: favourites, a page shown.
    QTreeWidgetItem *categoryToAddTo() const;
    QTreeWidgetItem *newEntry(const QString &title, const QString &address) const;

    UserDialogs &m_dialogs;
    Mode m_mode;
    Services m_services;
    CommandDispatcher m_dispatcher;
    QLabel *m_label = nullptr;
    QTreeWidget *m_tree = nullptr;
    QMenu *m_popup = nullptr;
};
