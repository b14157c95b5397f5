#include "authoring/editorviewrules.h"

#include <QAbstractScrollArea>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QUrl>

namespace {

// The place in the text under a point of the watched widget (the view or its viewport).
int textPositionAt(QObject *watched, QPointF point)
{
    auto *view = qobject_cast<QAbstractScrollArea *>(watched);
    if (!view)
        view = qobject_cast<QAbstractScrollArea *>(watched->parent());
    if (!view)
        return 0;
    QPoint inViewport = point.toPoint();
    if (watched == view)
        inViewport = view->viewport()->mapFrom(view, inViewport);
    if (auto *plain = qobject_cast<QPlainTextEdit *>(view))
        return plain->cursorForPosition(inViewport).position();
    if (auto *rich = qobject_cast<QTextEdit *>(view))
        return rich->cursorForPosition(inViewport).position();
    return 0;
}

} // namespace

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

void EditorViewRules::watch(QAbstractScrollArea &view)
{
    // Mouse events reach the viewport; the menu key reaches the view, which has the focus.
    view.installEventFilter(this);
    view.viewport()->installEventFilter(this);
}

bool EditorViewRules::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ContextMenu:
        if (!m_contextMenu)
            return false;
        m_contextMenu->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        event->accept();
        return true;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (localFilesOf(drag->mimeData()).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList files = localFilesOf(drop->mimeData());
        if (files.isEmpty())
            return false;
        drop->acceptProposedAction();
        emit filesDropped(files, textPositionAt(watched, drop->position()));
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
