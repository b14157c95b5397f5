#pragma once

#include <QStringList>
#include <QTextEdit>

class QMenu;

// The document editing pane (RichEdit1). Beyond QTextEdit it keeps what enters the pane to what
// the document can hold: a plain document gets plain text only, a rich one formatted text but
// never images or objects; files dropped on it are offered for opening instead of having their
// path typed in. The Tab key types a tab, lines wrap at the pane's width.
class EditorPane final : public QTextEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditorPane)

public:
    explicit EditorPane(QWidget *parent = nullptr);

    // The menu a right click opens (PopupMenu1); not owned.
    void setContextMenu(QMenu *menu) { m_contextMenu = menu; }

signals:
    void filesDropped(const QStringList &paths);
    // After the pane has handled the event, so the caret is already where it moved to.
    void mouseButtonPressed();

protected:
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QMenu *m_contextMenu = nullptr;
};

// The local files named by a drag, in order; empty when it carries no local file.
QStringList localFilesOf(const QMimeData *mime);
