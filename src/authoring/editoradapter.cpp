#include "authoring/editoradapter.h"

#include "authoring/editorstack.h"
#include "workspace/panetext.h"

#include <QTextCursor>
#include <QTextDocument>

bool EditorAdapter::hasSelection() const
{
    return m_editor.textCursor().hasSelection();
}

QString EditorAdapter::selectedText() const
{
    return PaneText::toDocument(m_editor.textCursor().selectedText());
}

void EditorAdapter::replaceSelection(const QString &text)
{
    QTextCursor cursor = m_editor.textCursor();
    // One edit block: Undo takes the whole insertion back at once, selection included, and the
    // history before it stays usable because every position it shifted is recorded.
    cursor.beginEditBlock();
    cursor.insertText(PaneText::fromDocument(text));
    cursor.endEditBlock();
    cursor.clearSelection();
    m_editor.setTextCursor(cursor);
    // The insertion has set the flag itself; setting it again would forget the saved state, and
    // Undo back to it would no longer clear the flag.
    if (!m_editor.document()->isModified())
        m_editor.document()->setModified(true);
    m_editor.ensureCursorVisible();
}

QString EditorAdapter::text() const
{
    return PaneText::toDocument(m_editor.document()->toRawText());
}

void EditorAdapter::setText(QString text)
{
    m_editor.setPlainText(PaneText::fromDocument(std::move(text)));
}

int EditorAdapter::caretPosition() const
{
    return PaneText::toDocumentPosition(m_editor.document()->toRawText(), m_editor.textCursor().position());
}

void EditorAdapter::setCaret(int position)
{
    const int pane = PaneText::toPanePosition(text(), position);
    QTextCursor cursor(m_editor.document());
    cursor.setPosition(qBound(0, pane, m_editor.document()->characterCount() - 1));
    m_editor.setTextCursor(cursor);
}

void EditorAdapter::setSelection(int start, int length)
{
    const QString document = text();
    const int last = m_editor.document()->characterCount() - 1;
    QTextCursor cursor(m_editor.document());
    cursor.setPosition(qBound(0, PaneText::toPanePosition(document, start), last));
    cursor.setPosition(qBound(0, PaneText::toPanePosition(document, start + length), last), QTextCursor::KeepAnchor);
    m_editor.setTextCursor(cursor);
}

bool EditorAdapter::isModified() const
{
    return m_editor.document()->isModified();
}

void EditorAdapter::setModified(bool modified)
{
    m_editor.document()->setModified(modified);
}
