#include "authoring/editorpane.h"

#include "workspace/compositionshown.h"

#include <QInputMethodEvent>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QRegularExpression>
#include <QTextDocumentFragment>

EditorPane::EditorPane(QWidget *parent) : QTextEdit(parent), m_ownText(new QTextDocument(this))
{
    setAcceptRichText(true);
    showText(nullptr);
}

void EditorPane::showText(QTextDocument *text)
{
    if (!text)
        text = m_ownText;
    if (text == document())
        return;
    // The source view's plain layout knows nothing of frames, tables and alignment.
    if (text->findChild<QPlainTextDocumentLayout *>(QString(), Qt::FindDirectChildrenOnly))
        text->setDocumentLayout(nullptr);
    setDocument(text);
    // A text taken over keeps the font of whoever showed it last; it is shown in this pane's.
    text->setDefaultFont(font());
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

void EditorPane::inputMethodEvent(QInputMethodEvent *event)
{
    const CompositionShown composing(*document(), *event, textCursor());
    QTextEdit::inputMethodEvent(event);
}
