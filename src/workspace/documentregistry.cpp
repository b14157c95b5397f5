#include "workspace/documentregistry.h"

#include "workspace/document.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

QString resolved(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

DocumentRegistry::DocumentRegistry(QObject *parent) : QObject(parent)
{}

DocumentRegistry::~DocumentRegistry() = default;

Document &DocumentRegistry::create()
{
    m_documents.push_back(std::make_unique<Document>());
    Document &document = *m_documents.back();
    emit opened(&document);
    return document;
}

bool DocumentRegistry::samePath(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    return resolved(a) == resolved(b);
}

Document *DocumentRegistry::find(const QString &path) const
{
    if (path.isEmpty())
        return nullptr;
    const QString wanted = resolved(path);
    for (const auto &document : m_documents) {
        if (!document->isUntitled() && resolved(document->path()) == wanted)
            return document.get();
    }
    return nullptr;
}

QList<Document *> DocumentRegistry::documents() const
{
    QList<Document *> all;
    all.reserve(qsizetype(m_documents.size()));
    for (const auto &document : m_documents)
        all.append(document.get());
    return all;
}

int DocumentRegistry::indexOf(const Document *document) const
{
    const auto found = std::find_if(
        m_documents.begin(), m_documents.end(), [document](const auto &open) { return open.get() == document; });
    return found == m_documents.end() ? -1 : int(found - m_documents.begin());
}

Document *DocumentRegistry::at(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return m_documents[size_t(index)].get();
}

void DocumentRegistry::setCurrent(Document *document)
{
    if (document == m_current || (document && indexOf(document) < 0))
        return;
    m_current = document;
    emit currentChanged(document);
}

void DocumentRegistry::close(Document &document)
{
    const int index = indexOf(&document);
    if (index < 0)
        return;
    emit aboutToClose(&document);
    // The one the user sees next is where the closed one stood, as tab bars do.
    if (m_current == &document)
        setCurrent(at(index + 1) ? at(index + 1) : at(index - 1));
    // Taken out before it goes, so nobody told of its going finds it still listed.
    std::unique_ptr<Document> closing = std::move(m_documents[size_t(index)]);
    m_documents.erase(m_documents.begin() + index);
}
