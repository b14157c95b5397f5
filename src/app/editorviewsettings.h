#pragma once

#include "app/editorviewoptions.h"

#include <QList>
#include <QObject>
#include <QPointer>

class CommandDispatcher;
class QAction;
class SourceView;

// The 環境設定 switches for the source view, 色分け表示 and 行番号: checkable menu items that
// show the user's choice, apply it to the source views given to it, and remember it in the data
// folder. It owns the choice; the window owns the items and the views.
class EditorViewSettings final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditorViewSettings)

public:
    static inline const QString kHighlightingHandler = QStringLiteral("mnuColorCodeClick");
    static inline const QString kLineNumbersHandler = QStringLiteral("mnuLineNumberClick");

    // filePath: where the choice is kept; read now. parent: becomes the parent.
    EditorViewSettings(CommandDispatcher &commands,
                       QAction &highlighting,
                       QAction &lineNumbers,
                       const QString &filePath,
                       QObject *parent);

    const EditorViewOptions &options() const { return m_options; }

    // Shows the view as chosen, now and after every change of the switches.
    void attach(SourceView &view);

private:
    void choose(bool EditorViewOptions::*option, const QAction &item);
    void apply(SourceView &view) const;

    QAction &m_highlighting;
    QAction &m_lineNumbers;
    QString m_filePath;
    EditorViewOptions m_options;
    QList<QPointer<SourceView>> m_views;
};
