#include "authoring/editoradapter.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace {

constexpr QChar kParagraphSeparator(0x2029);
constexpr QChar kLineSeparator(0x2028);

bool isPaneBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == kParagraphSeparator || c == kLineSeparator;
}

} // namespace

QString EditorAdapter::toPaneText(const QString &crlfText)
{
    QString out;
    out.reserve(crlfText.size());
    for (qsizetype i = 0; i < crlfText.size(); ++i) {
        const QChar c = crlfText.at(i);
        if (c == QLatin1Char('\r')) {
            if (i + 1 < crlfText.size() && crlfText.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out.append(QLatin1Char('\n'));
        } else {
            out.append(c);
        }
    }
    return out;
}

QString EditorAdapter::toDocumentText(const QString &paneText)
{
    QString out;
    out.reserve(paneText.size() + paneText.size() / 16);
    for (QChar c : paneText) {
        if (isPaneBreak(c))
            out.append(QLatin1String("\r\n"));
        else
            out.append(c);
    }
    return out;
}

int EditorAdapter::paneToDocumentPosition(const QString &paneText, int panePosition)
{
    int position = panePosition;
    const int end = qMin(panePosition, int(paneText.size()));
    for (int i = 0; i < end; ++i) {
        if (isPaneBreak(paneText.at(i)))
            ++position;
    }
    return position;
}

int EditorAdapter::documentToPanePosition(const QString &crlfText, int documentPosition)
{
    int pane = 0;
    const int end = qMin(documentPosition, int(crlfText.size()));
    for (int i = 0; i < end; ++i) {
        if (crlfText.at(i) == QLatin1Char('\r') && i + 1 < crlfText.size() && crlfText.at(i + 1) == QLatin1Char('\n')) {
            if (i + 1 < end)
                ++i;   // the pair is one pane position; a position between CR and LF maps to its start
        }
        ++pane;
    }
    return pane;
}

bool EditorAdapter::hasSelection() const
{
    return m_editor.textCursor().hasSelection();
}

QString EditorAdapter::selectedText() const
{
    return toDocumentText(m_editor.textCursor().selectedText());
}

void EditorAdapter::replaceSelection(const QString &text)
{
    QTextDocument *document = m_editor.document();
    QTextCursor cursor = m_editor.textCursor();
    // Switching undo off drops the history, so nothing before the insertion can be undone at
    // positions it no longer has; the insertion itself is not recorded either.
    document->setUndoRedoEnabled(false);
    cursor.insertText(toPaneText(text));
    document->setUndoRedoEnabled(true);
    cursor.clearSelection();
    m_editor.setTextCursor(cursor);
    document->setModified(true);
    m_editor.ensureCursorVisible();
}

QString EditorAdapter::text() const
{
    return toDocumentText(m_editor.document()->toRawText());
}

void EditorAdapter::setText(const QString &text)
{
    m_editor.setPlainText(toPaneText(text));
}

int EditorAdapter::caretPosition() const
{
    return paneToDocumentPosition(m_editor.document()->toRawText(), m_editor.textCursor().position());
}

void EditorAdapter::setCaret(int position)
{
    const int pane = documentToPanePosition(text(), position);
    QTextCursor cursor(m_editor.document());
    cursor.setPosition(qBound(0, pane, m_editor.document()->characterCount() - 1));
    m_editor.setTextCursor(cursor);
}

void EditorAdapter::setSelection(int start, int length)
{
    const QString document = text();
    const int last = m_editor.document()->characterCount() - 1;
    QTextCursor cursor(m_editor.document());
    cursor.setPosition(qBound(0, documentToPanePosition(document, start), last));
    cursor.setPosition(qBound(0, documentToPanePosition(document, start + length), last), QTextCursor::KeepAnchor);
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
