#include "workspace/pagesource.h"

#include "common/lineends.h"
#include "common/regularfile.h"
#include "workspace/document.h"
#include "workspace/documentfile.h"
#include "workspace/documentregistry.h"
#include "workspace/panetext.h"
#include "workspace/site.h"

#include <QTextDocument>

PageSource::Page PageSource::page(const QString &path) const
{
    if (std::optional<Page> open = openPage(path))
        return std::move(*open);
    return filePage(path);
}

std::optional<PageSource::Page> PageSource::openPage(const QString &path) const
{
    if (const Document *document = m_registry.find(path); document && document->text() && !document->isUnread())
        return Page{PaneText::toDocument(document->text()->toRawText()), document->format(), true};
    return std::nullopt;
}

QHash<QByteArray, PageSource::Page> PageSource::openPagesOf(const Site &site) const
{
    QHash<QByteArray, Page> pages;
    for (const Document *document : m_registry.documents()) {
        if (document->path().isEmpty())
            continue;
        const std::optional<QByteArray> path = site.pathOf(document->path());
        if (!path || site.isLeftOut(*path, false))
            continue;
        if (std::optional<Page> page = openPage(document->path()))
            pages.insert(*path, std::move(*page));
    }
    return pages;
}

PageSource::Page PageSource::filePage(const QString &path)
{
    // A page on disk is read as plain text, whatever it is: its markup is what the work reads.
    return filePage(path, RegularFile::readAll(path, RegularFile::kDocumentLimit));
}

PageSource::Page PageSource::filePage(const QString &path, const QByteArray &bytes)
{
    DecodedText decoded = DocumentFile::decodePlain(path, bytes);
    // As the editor would hold it once opened, so a place found in it is the place selected there.
    LineEnds::convert(decoded.text, LineEnd::CrLf);
    return Page{std::move(decoded.text), std::move(decoded.format), false};
}
