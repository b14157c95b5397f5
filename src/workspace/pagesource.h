#pragma once

#include "common/textcodec.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

class DocumentRegistry;
class Site;

// Each page's text for work over many pages (search, replace, checks): an open document's text
// as it stands in its editor, unsaved changes and all, before the file on disk, which may be
// older. Reads on the window's thread, where the open documents live. Refers to the registry.
class PageSource
{
public:
    struct Page
    {
        QString text; // CR LF line ends
        TextFormat format;
        bool open = false; // taken from an open document
    };

    explicit PageSource(const DocumentRegistry &registry) : m_registry(registry) {}

    // Throws UserError when a page that is not open cannot be read or is not text.
    Page page(const QString &path) const;
    // The page's text when it is open in an editor, else nullopt.
    std::optional<Page> openPage(const QString &path) const;
    // The pages of the site open in tabs and read, by their paths inside the site, as their
    // editors hold them: what work over the site's pages takes in place of their files.
    QHash<QByteArray, Page> openPagesOf(const Site &site) const;
    // The file's text as the program opens it. Touches no document, so a worker thread may read
    // the pages that are not open. Throws as page does.
    static Page filePage(const QString &path);
    // The same from the file's bytes, read already.
    static Page filePage(const QString &path, const QByteArray &bytes);

private:
    const DocumentRegistry &m_registry;
};
