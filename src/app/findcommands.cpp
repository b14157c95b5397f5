#include "app/findcommands.h"

#include "app/finddialog.h"
#include "app/findrules.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "common/commanddispatcher.h"
#include "common/userdialogs.h"
#include "workspace/panetext.h"

#include <QTextCursor>
#include <QTextDocument>

namespace {

const QString kNotFound = QStringLiteral("検索文字は見つかりません。");

} // namespace

FindCommands::FindCommands(CommandDispatcher &commands, PageContext &current, UserDialogs &dialogs, QWidget &window)
    : QObject(&window), m_current(current), m_dialogs(dialogs), m_window(window), m_dialog(new FindDialog(&window))
{
    commands.add(QStringLiteral("Find1Click"), [this](int) { showFind(); });
    commands.add(QStringLiteral("FindDialog1Find"), [this](int) { findNext(); });
    connect(
        m_dialog, &FindDialog::findNextRequested, this, [this, &commands] { commands.guard([this] { findNext(); }); });
}

void FindCommands::showFind()
{
    m_dialog->move(FindRules::dialogPosition(m_window.frameGeometry(), m_current.editor().width()));
    m_dialog->setSearchText(EditorAdapter(m_current.editor()).selectedText());
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
    EditorAdapter adapter(m_current.editor());
    const QString paneText = m_current.editor().document()->toRawText();
    const QTextCursor cursor = m_current.editor().textCursor();
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
    m_current.editor().setFocus();
    m_current.editor().ensureCursorVisible();
}
