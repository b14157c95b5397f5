#pragma once

#include <QTabWidget>

class Document;
class DocumentRegistry;
class EditorStack;
class PageContext;

// The open pages of the main window, one tab each in the registry's order: an editor (and the
// view context of its page) per document, labelled with the file's name (無題 while untitled),
// "● " before it while modified, the full path in its tooltip. The tab bar shows once there are
// two pages, so a window with one page looks as it always did. Owns the editors and their
// contexts; the registry owns the documents and their texts, which the editors show.
class PageTabs final : public QTabWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PageTabs)

public:
    PageTabs(DocumentRegistry &registry, QWidget *parent = nullptr);

    // A new untitled page after the others; not brought to the front.
    Document &addPage();
    void showPage(const Document &document);
    // Forgets the page; its editor goes with it. The registry chooses the page in front next.
    void closePage(Document &document);

    Document &documentAt(int index) const;
    // The page the file is open in (by any path), or null.
    Document *find(const QString &path) const;
    EditorStack &editorOf(const Document &document) const;
    // The context of one page, for what follows that page whether in front or not.
    PageContext &contextOf(const Document &document) const;
    int pageCount() const { return count(); }

    // The label a page's tab shows.
    static QString label(const Document &document);

    // Ctrl+Tab and Ctrl+PageDown go right, the others left, round at the ends.
    void showNeighbour(int step);

signals:
    // After a page came (its editor exists); the window sets it up like the others.
    void pageAdded(Document &document);
    // Before a page goes: whatever follows it lets go.
    void pageClosing(Document &document);
    // Another page is in front.
    void pageShown(Document &document);

private:
    void refreshLabel(const Document &document);

    DocumentRegistry &m_registry;
};
