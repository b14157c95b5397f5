#include "app/sessionpages.h"

#include "app/documentcommands.h"
#include "app/pagetabs.h"
#include "authoring/editorstack.h"
#include "common/userdialogs.h"
#include "common/usererror.h"
#include "workspace/document.h"

#include <QAbstractScrollArea>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QPointer>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <utility>

namespace {

const QString kLostPagesNotice = QStringLiteral("前回開いていた次のページは開けなかったため、タブから外しました。\n%1");

struct Scroll
{
    QPointer<EditorStack> editor;
    int value;
};

void placeCaret(EditorStack &editor, int position)
{
    QTextCursor caret(editor.document());
    caret.setPosition(qBound(0, position, editor.document()->characterCount() - 1));
    editor.setTextCursor(caret);
}

} // namespace

namespace SessionPages {

PageSession capture(const PageTabs &tabs)
{
    PageSession session;
    for (int i = 0; i < tabs.pageCount(); ++i) {
        const Document &page = tabs.documentAt(i);
        if (page.isUntitled())
            continue;
        const EditorStack &editor = tabs.editorOf(page);
        if (i == tabs.currentIndex())
            session.current = int(session.pages.size());
        session.pages.append({page.path(), editor.textCursor().position(), editor.view().verticalScrollBar()->value()});
    }
    return session;
}

void reopen(
    const PageSession &session, PageTabs &tabs, DocumentCommands &documents, UserDialogs &dialogs, QWidget &window)
{
    QStringList lost;
    QList<Scroll> scrolls;
    Document *front = nullptr;
    for (qsizetype i = 0; i < session.pages.size(); ++i) {
        const PageSession::Page &page = session.pages.at(i);
        const QString name = QDir::toNativeSeparators(page.path);
        if (!QFileInfo(page.path).isFile()) {
            lost.append(name);
            continue;
        }
        try {
            Document &document = documents.reopen(page.path);
            EditorStack &editor = tabs.editorOf(document);
            placeCaret(editor, page.caret);
            scrolls.append({&editor, page.scroll});
            if (i == session.current)
                front = &document;
        } catch (const UserError &e) {
            lost.append(QStringLiteral("%1（%2）").arg(name, e.text()));
        }
    }
    if (front)
        tabs.showPage(*front);
    // The scroll bars know their range once the window has laid the views out.
    QTimer::singleShot(0, &window, [scrolls = std::move(scrolls), lost, &dialogs, &window] {
        for (const Scroll &scroll : scrolls) {
            if (scroll.editor)
                scroll.editor->view().verticalScrollBar()->setValue(scroll.value);
        }
        if (!lost.isEmpty())
            dialogs.notify(&window, kLostPagesNotice.arg(lost.join(u'\n')));
    });
}

} // namespace SessionPages
