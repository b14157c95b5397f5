#pragma once

#include "app/sitereplaceapply.h"
#include "app/sitereplaceplan.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

class DocumentRegistry;
class QTextDocument;

// The edits a site-wide change (サイト内置換, the links of a rename) makes in pages open in tabs:
// each page in one undo step of its own editor, only where its text is still what the plan read,
// and taken back later only while that step is still the tab's last. Refers to the registry;
// holds the documents weakly (a tab may close).
class SiteTabEdits
{
public:
    explicit SiteTabEdits(DocumentRegistry &registry) : m_registry(registry) {}

    // Makes the ticked changes of the open pages; forgets the edits made before.
    SiteReplaceApply::TabOutcome apply(const QList<SiteReplacePlan::Page> &pages, const QList<QList<bool>> &ticked);

    struct Undone
    {
        QStringList undone;
        QStringList changed; // edited since: "page（タブ）", left alone
    };
    // Takes the edits back, once.
    Undone undo();
    bool isEmpty() const { return m_edits.isEmpty(); }
    void clear() { m_edits.clear(); }

private:
    struct Edit
    {
        QPointer<QTextDocument> document;
        QString shownPath;
        int undoSteps = 0; // the document's undo steps just after the edit
        QString textAfter;
    };

    DocumentRegistry &m_registry;
    QList<Edit> m_edits;
};
