#include "authoring/editoradapter.h"

#include "authoring/panetext.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

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
    QTextDocument *document = m_editor.document();
    QTextCursor cursor = m_editor.textCursor();
    // Switching undo off drops the history, so nothing before the insertion can be undone at
    // positions it no longer has; the insertion itself is not recorded either.
    document->setUndoRedoEnabled(false);
    cursor.insertText(PaneText::fromDocument(text));
    document->setUndoRedoEnabled(true);
    cursor.clearSelection();
    m_editor.setTextCursor(cursor);
    document->setModified(true);
    m_editor.ensureCursorVisible();
}

QString EditorAdapter::text() const
{
    return PaneText::toDocument(m_editor.document()->toRawText());
}

void EditorAdapter::setText(const QString &text)
{
    m_editor.setPlainText(PaneText::fromDocument(text));
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
