#include "authoring/editorpane.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QTextDocumentFragment>
#include <QUrl>

QStringList localFilesOf(const QMimeData *mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

EditorPane::EditorPane(QWidget *parent) : QTextEdit(parent)
{
    setObjectName(QStringLiteral("RichEdit1"));
    setAccessibleName(QStringLiteral("HTML ソース"));
    setTabChangesFocus(false);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setAcceptRichText(false);
    setMinimumHeight(1);
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

void EditorPane::contextMenuEvent(QContextMenuEvent *event)
{
    if (!m_contextMenu) {
        QTextEdit::contextMenuEvent(event);
        return;
    }
    m_contextMenu->popup(event->globalPos());
    event->accept();
}

void EditorPane::mousePressEvent(QMouseEvent *event)
{
    QTextEdit::mousePressEvent(event);
    emit mouseButtonPressed();
}

void EditorPane::dragEnterEvent(QDragEnterEvent *event)
{
    if (!localFilesOf(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QTextEdit::dragEnterEvent(event);
}

void EditorPane::dragMoveEvent(QDragMoveEvent *event)
{
    if (!localFilesOf(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QTextEdit::dragMoveEvent(event);
}

void EditorPane::dropEvent(QDropEvent *event)
{
    const QStringList files = localFilesOf(event->mimeData());
    if (!files.isEmpty()) {
        event->acceptProposedAction();
        emit filesDropped(files);
        return;
    }
    QTextEdit::dropEvent(event);
}
