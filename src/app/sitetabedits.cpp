#include "app/sitetabedits.h"

#include "app/documentedits.h"
#include "workspace/document.h"
#include "workspace/documentregistry.h"
#include "workspace/panetext.h"

#include <QTextDocument>

SiteReplaceApply::TabOutcome SiteTabEdits::apply(const QList<SiteReplacePlan::Page> &pages,
                                                 const QList<QList<bool>> &ticked)
{
    m_edits.clear();
    SiteReplaceApply::TabOutcome outcome;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const SiteReplacePlan::Page &page = pages.at(i);
        if (!page.open)
            continue;
        const QList<ReplaceRules::Edit> edits = SiteReplacePlan::chosenEdits(page, ticked.value(i));
        if (edits.isEmpty())
            continue;
        const Document *document = m_registry.find(page.localPath);
        QTextDocument *text = document && !document->isUnread() ? document->text() : nullptr;
        if (!text) {
            outcome.skipped.append(page.shownPath + QStringLiteral(": タブが閉じられました"));
            continue;
        }
        if (PaneText::toDocument(text->toRawText()) != page.text) {
            outcome.skipped.append(page.shownPath + QStringLiteral(": 確認の後で変更されています"));
            continue;
        }
        DocumentEdits::applyInOneStep(*text, page.text, edits);
        m_edits.append({text, page.shownPath, text->availableUndoSteps(), text->toRawText()});
        ++outcome.pages;
        outcome.matches += int(edits.size());
    }
    return outcome;
}

SiteTabEdits::Undone SiteTabEdits::undo()
{
    Undone undone;
    for (const Edit &edit : std::as_const(m_edits)) {
        // Only while the edit is the tab's last: an Undo would otherwise take the user's.
        if (edit.document && edit.document->availableUndoSteps() == edit.undoSteps
            && edit.document->toRawText() == edit.textAfter) {
            edit.document->undo();
            undone.undone.append(edit.shownPath);
        } else {
            undone.changed.append(edit.shownPath + QStringLiteral("（タブ）"));
        }
    }
    m_edits.clear();
    return undone;
}
