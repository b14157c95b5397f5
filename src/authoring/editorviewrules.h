#pragma once

#include <QObject>
#include <QStringList>

class QAbstractScrollArea;
class QMenu;
class QMimeData;

// What both editing views do alike with the mouse and drags, as one filter on each view and its
// viewport: a right click (or the menu key) opens the editor's own menu, and local files dragged
// in are handed on with the place in the text they were dropped at, instead of having their path
// typed in. Paste rules stay with each
// view, since only the rich one may take formatted text.
class EditorViewRules final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditorViewRules)

public:
    explicit EditorViewRules(QObject *parent = nullptr) : QObject(parent) {}

    // Starts applying the rules to the view.
    void watch(QAbstractScrollArea &view);
    // The menu a right click opens (PopupMenu1); not owned.
    void setContextMenu(QMenu *menu) { m_contextMenu = menu; }

signals:
    // position: where in the view's text the files were dropped.
    void filesDropped(const QStringList &paths, int position);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QMenu *m_contextMenu = nullptr;
};

// The local files named by a drag, in order; empty when it carries no local file.
QStringList localFilesOf(const QMimeData *mime);
