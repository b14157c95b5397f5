#include "authoring/pagecommands.h"

#include "authoring/editoradapter.h"
#include "authoring/pageskeleton.h"
#include "common/commanddispatcher.h"
#include "common/userdialogs.h"

#include <QWidget>

namespace {

const QString kUntitledCaption = QStringLiteral("QZWeb");

} // namespace

PageCommands::PageCommands(CommandDispatcher &commands, QTextEdit &editor, QString &currentFile,
                           UserDialogs &dialogs, QWidget &window)
    : QObject(&window), m_editor(editor), m_currentFile(currentFile), m_dialogs(dialogs), m_window(window)
{
    commands.add(QStringLiteral("HTML1Click"), [this](int) { insertPageSkeleton(); });
}

void PageCommands::insertPageSkeleton()
{
    EditorAdapter editor(m_editor);
    if (!editor.text().isEmpty()) {
        const DialogButton answer = m_dialogs.confirm(
            &m_window, PageSkeleton::confirmation(), {DialogButton::Yes, DialogButton::No, DialogButton::Cancel});
        if (answer != DialogButton::Yes)
            return;
    }
    m_currentFile.clear();
    m_window.setWindowTitle(kUntitledCaption);
    editor.setText(PageSkeleton::text());
    editor.setCaret(PageSkeleton::caretPosition());
}
