#pragma once

#include <QObject>

class CommandDispatcher;
class QTextEdit;
class QWidget;
class UserDialogs;

// ファイル > 基本形(HTML): replaces the pane's text by the page skeleton, after asking when there
// is text to lose, and leaves the document untitled. Owns nothing.
class PageCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PageCommands)

public:
    // currentFile: the open document's path, emptied; window: the caption reset and the parent
    // of the question; becomes the parent.
    PageCommands(CommandDispatcher &commands, QTextEdit &editor, QString &currentFile, UserDialogs &dialogs,
                 QWidget &window);

    void insertPageSkeleton();          // HTML1Click

private:
    QTextEdit &m_editor;
    QString &m_currentFile;
    UserDialogs &m_dialogs;
    QWidget &m_window;
};
