#pragma once

#include <QObject>

class CommandDispatcher;
class FindDialog;
class PageContext;
class QWidget;
class UserDialogs;

// 検索 and 次を検索: opens the non-modal find dialog, preloaded with the selection, and looks
// for its text from just after the selection (from the top when nothing is selected), letter
// case ignored and never wrapping round; a match is selected, focused and scrolled into view.
// Owns the find dialog, which keeps its text for the whole run; refers to the page in front.
class FindCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FindCommands)

public:
    // window: where the dialog is placed and the parent of both; becomes the parent.
    FindCommands(CommandDispatcher &commands, PageContext &current, UserDialogs &dialogs, QWidget &window);

    FindDialog &dialog() const { return *m_dialog; }

    void showFind(); // Find1Click
    void findNext(); // FindDialog1Find

private:
    PageContext &m_current;
    UserDialogs &m_dialogs;
    QWidget &m_window;
    FindDialog *m_dialog;
};
