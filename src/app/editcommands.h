#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>

class CommandDispatcher;
class QAction;
class PageContext;
class QWidget;

// The menu items of one clipboard command: the Edit menu's and the editor context menu's.
struct EditActions
{
    QList<QAction *> cut;
    QList<QAction *> copy;
    QList<QAction *> paste;
};

// Undo, select all, and cut, copy and paste in the Edit menu and the editor's context menu. The
// clipboard commands work on the window's text control that has the focus (the editor, or the
// address box); cut and copy are enabled only while it has a selection, paste only while the
// clipboard holds text. Refers to the page in front, the window and the actions.
class EditCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditCommands)

public:
    // window: whose focused control the clipboard commands use; becomes the parent.
    EditCommands(CommandDispatcher &commands, PageContext &current, QWidget &window, EditActions actions);

    void undo();      // Undo1Click
    void selectAll(); // SelectAll1Click
    void cut();       // EditCut
    void copy();      // EditCopy
    void paste();     // EditPaste

    // Sets the clipboard items' enabled state from the focused control and the clipboard.
    void refresh();

private:
    // Cut and copy only: the selection moves with every caret step, and asking the desktop's
    // clipboard each time would be a round trip to another program for nothing.
    void refreshSelection();
    bool targetIsWritable() const;
    // The focused text control of the window; the editor when none has the focus.
    QWidget *target() const;
    void watchSelectionOf(QWidget *control);

    PageContext &m_current;
    QWidget &m_window;
    EditActions m_actions;
    QMetaObject::Connection m_selectionWatch;
};
