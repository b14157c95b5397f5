#include "app/documentwatch.h"

#include <QTextDocument>

DocumentWatch::DocumentWatch(QObject *parent) : QObject(parent)
{}

void DocumentWatch::watch(QTextDocument *document)
{
    if (document == m_document)
        return;
    disconnect(m_edited);
    disconnect(m_modified);
    m_document = document;
    if (!document)
        return;
    // contentsChange, not contentsChanged: the latter also fires when the highlighter re-colours
    // lines, and a refresh or a kept copy for that would be work for nothing.
    m_edited = connect(document, &QTextDocument::contentsChange, this, [this] { emit edited(); });
    m_modified = connect(document, &QTextDocument::modificationChanged, this, &DocumentWatch::modificationChanged);
}
