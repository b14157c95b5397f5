#include "authoring/pagecontext.h"

#include "authoring/editorstack.h"

PageContext::PageContext(EditorStack &editor, Document &document, QObject *parent)
    : QObject(parent), m_editor(&editor), m_document(&document)
{
    follow();
}

void PageContext::show(EditorStack &editor, Document &document)
{
    if (&editor == m_editor && &document == m_document)
        return;
    m_editor = &editor;
    m_document = &document;
    follow();
    emit changed();
}

void PageContext::follow()
{
    for (const QMetaObject::Connection &relay : std::as_const(m_relays))
        disconnect(relay);
    m_relays = {
        connect(m_editor, &EditorStack::textChanged, this, &PageContext::textChanged),
        connect(m_editor, &EditorStack::cursorPositionChanged, this, &PageContext::cursorPositionChanged),
        connect(m_editor, &EditorStack::mouseButtonPressed, this, &PageContext::mouseButtonPressed),
        connect(m_editor, &EditorStack::viewReplaced, this, &PageContext::viewReplaced),
        connect(m_document, &Document::changed, this, &PageContext::documentChanged),
    };
}
