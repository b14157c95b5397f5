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
    m_edited = connect(document, &QTextDocument::contentsChanged, this, &DocumentWatch::edited);
    m_modified = connect(document, &QTextDocument::modificationChanged, this, &DocumentWatch::modificationChanged);
}
