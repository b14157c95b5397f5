#include "workspace/document.h"

#include <QTextDocument>

Document::Document(QObject *parent) : QObject(parent)
{}

void Document::setPath(const QString &path)
{
    if (path == m_path)
        return;
    m_path = path;
    emit changed(Aspect::Path);
}

void Document::setFormat(const TextFormat &format)
{
    m_format = format;
    emit changed(Aspect::Format);
}

void Document::attach(QTextDocument *text)
{
    if (text == m_text)
        return;
    const bool wasModified = isModified();
    disconnect(m_contentsChange);
    disconnect(m_modificationChange);
    m_text = text;
    if (text) {
        // contentsChange, not contentsChanged: the latter also fires when the highlighter
        // re-colours lines or the view's font changes, and none of that is a change of the page.
        m_contentsChange = connect(text, &QTextDocument::contentsChange, this, [this] {
            ++m_revision;
            emit changed(Aspect::Revision);
        });
        m_modificationChange =
            connect(text, &QTextDocument::modificationChanged, this, [this] { emit changed(Aspect::Modified); });
    }
    if (isModified() != wasModified)
        emit changed(Aspect::Modified);
}

bool Document::isModified() const
{
    return m_text && m_text->isModified();
}
