#include "authoring/editorpane.h"

#include <QMimeData>
#include <QRegularExpression>
#include <QTextDocumentFragment>

EditorPane::EditorPane(QWidget *parent) : QTextEdit(parent)
{
    setAcceptRichText(true);
}

bool EditorPane::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasText() || (acceptRichText() && source->hasHtml());
}

void EditorPane::insertFromMimeData(const QMimeData *source)
{
    if (acceptRichText() && source->hasHtml()) {
        // Formatted text only: an image or an embedded object has no place in the document.
        QTextDocumentFragment fragment = QTextDocumentFragment::fromHtml(source->html());
        QString html = fragment.toHtml();
        html.remove(QRegularExpression(QStringLiteral("<img[^>]*>"), QRegularExpression::CaseInsensitiveOption));
        textCursor().insertFragment(QTextDocumentFragment::fromHtml(html));
        ensureCursorVisible();
        return;
    }
    if (source->hasText()) {
        textCursor().insertText(source->text());
        ensureCursorVisible();
    }
}

void EditorPane::mousePressEvent(QMouseEvent *event)
{
    QTextEdit::mousePressEvent(event);
    emit mouseButtonPressed();
}
