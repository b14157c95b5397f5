#pragma once

#include <QObject>

#include <functional>

class CommandDispatcher;
class EditorStack;
class QWidget;
class UserDialogs;
struct MainState;

// ファイル > 基本形(HTML): replaces the pane's text by the page skeleton, after asking when there
// is text to lose, and leaves the document untitled, as New does, but modified: the skeleton is
// not on disk yet. Owns nothing.
class PageCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PageCommands)

public:
    // state: the open document's path and format, reset; window: the caption reset and the parent
    // of the question; becomes the parent. documentReset, when given, runs after the reset.
    PageCommands(CommandDispatcher &commands,
                 EditorStack &editor,
                 MainState &state,
                 UserDialogs &dialogs,
                 QWidget &window,
                 std::function<void()> documentReset = {});

    void insertPageSkeleton(); // HTML1Click

private:
    EditorStack &m_editor;
    MainState &m_state;
    UserDialogs &m_dialogs;
    QWidget &m_window;
    std::function<void()> m_documentReset;
};
