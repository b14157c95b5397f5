#pragma once

#include <QObject>

class CommandDispatcher;
class Document;
class DocumentCommands;
class PageTabs;
class QWidget;
class UserDialogs;

// The commands on the pages as tabs: 新しいタブ (Ctrl+T) opens a blank page in front, タブを閉じる
// (Ctrl+W) closes the page in front, asking 保存 / 保存しない / キャンセル (キャンセル the default)
// when it holds unsaved changes, and Ctrl+Tab / Ctrl+Shift+Tab and Ctrl+PageDown / Ctrl+PageUp
// go to the next or previous page. The window always keeps one page: closing the last leaves a
// blank one. Refers to the tabs, the document commands (which save), the dialogs and the window.
class TabCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TabCommands)

public:
    // window: the parent of every question and of the switching keys; becomes the parent.
    TabCommands(CommandDispatcher &commands,
                PageTabs &tabs,
                DocumentCommands &documents,
                UserDialogs &dialogs,
                QWidget &window);

    void newTab();   // mnuNewTabClick
    void closeTab(); // mnuCloseTabClick

    static QString closeQuestion(const Document &page);

private:
    PageTabs &m_tabs;
    DocumentCommands &m_documents;
    UserDialogs &m_dialogs;
    QWidget &m_window;
};
