#include "authoring/pagecommands.h"

#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "authoring/pageskeleton.h"
#include "common/commanddispatcher.h"
#include "common/userdialogs.h"
#include "workspace/document.h"

#include <QTextCharFormat>
#include <QWidget>

namespace {

const QString kUntitledCaption = QStringLiteral("QZWeb");

} // namespace

PageCommands::PageCommands(CommandDispatcher &commands, PageContext &page, UserDialogs &dialogs, QWidget &window)
    : QObject(&window), m_page(page), m_dialogs(dialogs), m_window(window)
{
    commands.add(QStringLiteral("HTML1Click"), [this](int) { insertPageSkeleton(); });
}

void PageCommands::insertPageSkeleton()
{
    EditorAdapter editor(m_page.editor());
    if (!editor.text().isEmpty()) {
        // Yes replaces everything written so far.
        const DialogButton answer = m_dialogs.confirmDiscard(
            &m_window, PageSkeleton::confirmation(), {DialogButton::Yes, DialogButton::No, DialogButton::Cancel});
        if (answer != DialogButton::Yes)
            return;
    }
    m_page.document().setPath(QString());
    m_page.document().setFormat(TextFormat{});
    m_window.setWindowTitle(kUntitledCaption);
    m_window.setAccessibleName(kUntitledCaption);
    // A plain page, whatever the previous document was shown as.
    m_page.editor().clearAs(EditorKind::Source);
    editor.setText(PageSkeleton::text());
    editor.setCaret(PageSkeleton::caretPosition());
    // Replacing the whole text clears the flag, but the skeleton is a change nobody has saved:
    // closing now must ask.
    editor.setModified(true);
}
