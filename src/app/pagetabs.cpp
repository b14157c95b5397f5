#include "app/pagetabs.h"

#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "workspace/document.h"
#include "workspace/documentregistry.h"

#include <QDir>
#include <QFileInfo>
#include <QTabBar>

namespace {

const QString kUntitled = QStringLiteral("無題");
const QString kModifiedMarker = QStringLiteral("● ");

} // namespace

PageTabs::PageTabs(DocumentRegistry &registry, QWidget *parent) : QTabWidget(parent), m_registry(registry)
{
    setObjectName(QStringLiteral("PageTabs"));
    setAccessibleName(QStringLiteral("開いているページ"));
    tabBar()->setObjectName(QStringLiteral("PageTabBar"));
    tabBar()->setAccessibleName(QStringLiteral("ページのタブ"));
    setDocumentMode(true);
    setTabBarAutoHide(true);
    setMinimumHeight(1);
    // Keys go to the editor; Ctrl+Tab and the others switch pages from wherever the focus is.
    tabBar()->setFocusPolicy(Qt::NoFocus);
    tabBar()->setElideMode(Qt::ElideMiddle);
    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        if (index < 0)
            return;
        Document &document = documentAt(index);
        for (int i = 0; i < count(); ++i)
            static_cast<EditorStack *>(widget(i))->setInFront(i == index);
        m_registry.setCurrent(&document);
        emit pageShown(document);
    });
}

Document &PageTabs::addPage()
{
    Document &document = m_registry.create();
    auto *editor = new EditorStack(*document.text(), this);
    editor->setInFront(count() == 0);
    auto *context = new PageContext(*editor, document, editor);
    context->setObjectName(QStringLiteral("PageContext"));
    connect(&document, &Document::changed, this, [this, &document](Document::Aspect aspect) {
        if (aspect == Document::Aspect::Path || aspect == Document::Aspect::Modified)
            refreshLabel(document);
    });
    // Added without becoming current: the caller decides which page is in front.
    {
        const QSignalBlocker quiet(this);
        const int index = addTab(editor, label(document));
        setTabToolTip(index, kUntitled);
    }
    emit pageAdded(document);
    if (count() == 1) {
        m_registry.setCurrent(&document);
        emit pageShown(document);
    }
    return document;
}

void PageTabs::showPage(const Document &document)
{
    setCurrentIndex(m_registry.indexOf(&document));
}

void PageTabs::closePage(Document &document)
{
    const int index = m_registry.indexOf(&document);
    if (index < 0)
        return;
    // The page that takes its place comes to the front first, so nothing in front ever refers
    // to an editor that is going: the right neighbour, else the left one, as tab bars do.
    if (currentIndex() == index && count() > 1)
        setCurrentIndex(index + 1 < count() ? index + 1 : index - 1);
    emit pageClosing(document);
    EditorStack *editor = &editorOf(document);
    {
        const QSignalBlocker quiet(this);
        removeTab(index);
        // The editor shows the document's text, so it goes first.
        delete editor;
        m_registry.close(document);
    }
}

Document &PageTabs::documentAt(int index) const
{
    return *m_registry.at(index);
}

Document *PageTabs::find(const QString &path) const
{
    return m_registry.find(path);
}

EditorStack &PageTabs::editorOf(const Document &document) const
{
    return *static_cast<EditorStack *>(widget(m_registry.indexOf(&document)));
}

PageContext &PageTabs::contextOf(const Document &document) const
{
    return *editorOf(document).findChild<PageContext *>(QStringLiteral("PageContext"), Qt::FindDirectChildrenOnly);
}

QString PageTabs::label(const Document &document)
{
    const QString name = document.isUntitled() ? kUntitled : QFileInfo(document.path()).fileName();
    return document.isModified() ? kModifiedMarker + name : name;
}

void PageTabs::showNeighbour(int step)
{
    if (count() < 2)
        return;
    setCurrentIndex((currentIndex() + step + count()) % count());
}

void PageTabs::refreshLabel(const Document &document)
{
    const int index = m_registry.indexOf(&document);
    if (index < 0)
        return;
    setTabText(index, label(document));
    setTabToolTip(index, document.isUntitled() ? kUntitled : QDir::toNativeSeparators(document.path()));
}
