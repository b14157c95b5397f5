#pragma once

#include "workspace/document.h"

#include <QList>
#include <QMetaObject>
#include <QObject>

class EditorStack;
class QTextDocument;

// A document and the editor that shows it, as the commands reach them. The window's context is
// the page in front, moved from page to page by show(): a command asks it for the page each time
// it runs, so none holds on to a page the user has left, and whatever follows the page in front
// connects to it once, its signals being those of the editor and the document it holds now.
// Refers to both; owns neither.
class PageContext final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PageContext)

public:
    PageContext(EditorStack &editor, Document &document, QObject *parent = nullptr);

    EditorStack &editor() const { return *m_editor; }
    Document &document() const { return *m_document; }

    // Another page comes to the front: changed() goes out once its signals are followed.
    void show(EditorStack &editor, Document &document);

signals:
    void changed();
    // Of the editor in front (EditorStack's).
    void textChanged();
    void cursorPositionChanged();
    void mouseButtonPressed();
    // The editor in front put its other view in use.
    void viewReplaced();
    // Of the document in front.
    void documentChanged(Document::Aspect aspect);

private:
    void follow();

    EditorStack *m_editor;
    Document *m_document;
    QList<QMetaObject::Connection> m_relays;
};
