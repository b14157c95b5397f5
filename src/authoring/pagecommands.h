#pragma once

#include <QObject>

class CommandDispatcher;
class PageContext;
class QWidget;
class UserDialogs;

// ファイル > 基本形(HTML): replaces the pane's text by the page skeleton, after asking when there
// is text to lose, and leaves the document untitled, as New does, but modified: the skeleton is
// not on disk yet. Owns nothing.
class PageCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PageCommands)

public:
    // document: its path and format are reset; window: the caption reset and the parent of the
    // question; becomes the parent.
    PageCommands(CommandDispatcher &commands, PageContext &page, UserDialogs &dialogs, QWidget &window);

    void insertPageSkeleton(); // HTML1Click

private:
    PageContext &m_page;
    UserDialogs &m_dialogs;
    QWidget &m_window;
};
