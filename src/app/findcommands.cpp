#include "app/findcommands.h"

#include "app/finddialog.h"
#include "app/findrules.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "common/commanddispatcher.h"
#include "common/userdialogs.h"
#include "workspace/panetext.h"

#include <QTextCursor>
#include <QTextDocument>

namespace {

const QString kNotFound = QStringLiteral("検索文字は見つかりません。");

} // namespace

FindCommands::FindCommands(CommandDispatcher &commands, EditorStack &editor, UserDialogs &dialogs, QWidget &window)
    : QObject(&window), m_editor(editor), m_dialogs(dialogs), m_window(window), m_dialog(new FindDialog(&window))
{
    commands.add(QStringLiteral("Find1Click"), [this](int) { showFind(); });
    commands.add(QStringLiteral("FindDialog1Find"), [this](int) { findNext(); });
    connect(
        m_dialog, &FindDialog::findNextRequested, this, [this, &commands] { commands.guard([this] { findNext(); }); });
}

void FindCommands::showFind()
{
    m_dialog->move(FindRules::dialogPosition(m_window.frameGeometry(), m_editor.width()));
    m_dialog->setSearchText(EditorAdapter(m_editor).selectedText());
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void FindCommands::findNext()
{
    const QString needle = m_dialog->searchText();
    // F3 before anything was ever looked for: ask what to look for.
    if (needle.isEmpty()) {
        showFind();
        return;
    }
    EditorAdapter adapter(m_editor);
    const QString paneText = m_editor.document()->toRawText();
    const QTextCursor cursor = m_editor.textCursor();
    const int selectionStart = PaneText::toDocumentPosition(paneText, cursor.selectionStart());
    const int selectionEnd = PaneText::toDocumentPosition(paneText, cursor.selectionEnd());
    const std::optional<int> found = FindRules::findNext(
        adapter.text(), needle, FindRules::startPosition(selectionStart, selectionEnd - selectionStart));
    if (!found) {
        m_dialogs.notify(m_dialog->isVisible() ? static_cast<QWidget *>(m_dialog) : &m_window, kNotFound);
        return;
    }
    adapter.setSelection(*found, int(needle.size()));
    // The editor becomes the window's focus; an open find dialog stays in front, so the next
    // Enter there goes on searching.
    m_editor.setFocus();
    m_editor.ensureCursorVisible();
}
