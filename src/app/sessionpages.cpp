#include "app/sessionpages.h"

#include "app/documentcommands.h"
#include "app/pagetabs.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "common/userdialogs.h"
#include "common/usererror.h"
#include "workspace/document.h"

#include <QAbstractScrollArea>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <utility>

namespace {

const QString kLostPagesNotice = QStringLiteral("前回開いていた次のページは開けなかったため、タブから外しました。\n%1");

// In the pane's own positions, as capture() takes them, so neither builds a page's whole text
// (which EditorAdapter's CR LF positions would).
void placeCaret(const PageContext &page, int position)
{
    EditorStack &editor = page.editor();
    QTextCursor caret(editor.document());
    caret.setPosition(qBound(0, position, editor.document()->characterCount() - 1));
    editor.setTextCursor(caret);
}

} // namespace

namespace SessionPages {

PageSession capture(const PageTabs &tabs, const Places &unread)
{
    PageSession session;
    for (int i = 0; i < tabs.pageCount(); ++i) {
        const Document &page = tabs.documentAt(i);
        if (page.isUntitled())
            continue;
        const EditorStack &editor = tabs.editorOf(page);
        if (i == tabs.currentIndex())
            session.current = int(session.pages.size());
        if (page.isUnread())
            session.pages.append({page.path(), unread.value(&page).caret, unread.value(&page).scroll});
        else
            session.pages.append(
                {page.path(), editor.textCursor().position(), editor.view().verticalScrollBar()->value()});
    }
    return session;
}

Places
reopen(const PageSession &session, PageTabs &tabs, DocumentCommands &documents, UserDialogs &dialogs, QWidget &window)
{
    QStringList lost;
    Places unread;
    for (qsizetype i = 0; i < session.pages.size(); ++i) {
        const PageSession::Page &page = session.pages.at(i);
        const QString name = QDir::toNativeSeparators(page.path);
        if (!QFileInfo(page.path).isFile()) {
            lost.append(name);
            continue;
        }
        if (i != session.current) {
            unread.insert(&documents.reopenUnread(page.path), page);
            continue;
        }
        try {
            place(tabs.contextOf(documents.reopen(page.path)), page, window);
        } catch (const UserError &e) {
            lost.append(QStringLiteral("%1（%2）").arg(name, e.text()));
        }
    }
    // The page that was in front is gone: the first one in front now is read instead.
    if (tabs.pageCount() > 0) {
        Document &front = tabs.documentAt(tabs.currentIndex());
        if (front.isUnread()) {
            const PageSession::Page page = unread.take(&front);
            try {
                documents.readUnread();
                place(tabs.contextOf(front), page, window);
            } catch (const UserError &e) {
                lost.append(QStringLiteral("%1（%2）").arg(QDir::toNativeSeparators(page.path), e.text()));
            }
        }
    }
    if (!lost.isEmpty()) {
        QTimer::singleShot(
            0, &window, [lost, &dialogs, &window] { dialogs.notify(&window, kLostPagesNotice.arg(lost.join(u'\n'))); });
    }
    return unread;
}

void place(const PageContext &page, const PageSession::Page &place, QWidget &window)
{
    placeCaret(page, place.caret);
    // The scroll bar knows its range once the window has laid the view out.
    QTimer::singleShot(0, &window, [editor = QPointer<EditorStack>(&page.editor()), value = place.scroll] {
        if (editor)
            editor->view().verticalScrollBar()->setValue(value);
    });
}

} // namespace SessionPages
