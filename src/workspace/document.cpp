#include "workspace/document.h"

#include "workspace/compositionshown.h"

#include <QTextDocument>

#include <utility>

Document::Document(QObject *parent) : QObject(parent), m_text(new QTextDocument(this))
{
    // contentsChange, not contentsChanged: the latter also fires when the highlighter re-colours
    // lines or the view's font changes, and none of that is a change of the page.
    connect(m_text, &QTextDocument::contentsChange, this, &Document::followChange);
    connect(m_text, &QTextDocument::modificationChanged, this, [this] { emit changed(Aspect::Modified); });
    // A view of another kind taking the text lays it out anew, and the text then reports itself
    // as inserted whole; not a character of the page changed.
    connect(m_text, &QTextDocument::documentLayoutChanged, this, [this] { m_laidOutAnew = true; });
}

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

void Document::followChange(int position, int removed, int added)
{
    // A word still being composed is not the page's yet.
    if (CompositionShown::isShowing(*m_text))
        return;
    const bool wholeAnew = position == 0 && removed == 0 && added == m_text->characterCount();
    if (std::exchange(m_laidOutAnew, false) && wholeAnew)
        return;
    ++m_revision;
    emit changed(Aspect::Revision);
}

bool Document::isModified() const
{
    return m_text->isModified();
}
