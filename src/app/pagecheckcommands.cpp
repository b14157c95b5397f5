#include "app/pagecheckcommands.h"

#include "app/bottomdock.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "common/commanddispatcher.h"
#include "pagecheck/pagecheckpanel.h"
#include "pagecheck/sourcelines.h"

#include <QAction>
#include <QDockWidget>
#include <QMainWindow>
#include <QTextBlock>
#include <QTreeWidget>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <utility>

PageCheckCommands::PageCheckCommands(CommandDispatcher &commands,
                                     PageContext &current,
                                     QMainWindow &window,
                                     Items items,
                                     std::function<PageCheck::Input()> page,
                                     const QString &optionsPath)
    : QObject(&window), m_current(current), m_items(items), m_page(std::move(page)), m_optionsPath(optionsPath),
      m_options(PageCheckOptions::read(optionsPath))
{
    m_panel = new PageCheckPanel;
    m_dock = BottomDock::add(window, QStringLiteral("ページチェック"), "PageCheckDock", m_panel);
    connect(m_panel, &PageCheckPanel::placeChosen, this, &PageCheckCommands::moveCaret);
    connect(m_panel, &PageCheckPanel::fixChosen, this, &PageCheckCommands::makeFix);
    connect(&m_watcher, &QFutureWatcher<CheckRows>::finished, this, &PageCheckCommands::showResult);

    for (QAction *item : {&m_items.automatic, &m_items.askBeforeUpload})
        item->setCheckable(true);
    m_items.automatic.setChecked(m_options.checkWhileTyping);
    m_items.askBeforeUpload.setChecked(m_options.askBeforeUpload);
    commands.add(kCheckHandler, [this](int) { showAndCheck(); });
    commands.add(kAutoHandler, [this](int) { chooseOption(&PageCheckOptions::checkWhileTyping, m_items.automatic); });
    commands.add(kAskHandler,
                 [this](int) { chooseOption(&PageCheckOptions::askBeforeUpload, m_items.askBeforeUpload); });

    // Typing checks nothing unless the user chose so, and then only once the typing pauses.
    m_typingPause.setSingleShot(true);
    m_typingPause.setInterval(kTypingPauseMs);
    connect(&m_typingPause, &QTimer::timeout, this, [this] {
        if (m_dock->isVisible())
            check();
    });
    connect(&m_current, &PageContext::textChanged, this, [this] {
        if (m_options.checkWhileTyping)
            m_typingPause.start();
    });
}

void PageCheckCommands::showAndCheck()
{
    m_dock->show();
    // Asked for by the user: the rows get the keyboard (and a screen reader) once they are
    // there. A check while typing leaves the focus in the editor.
    m_focusRows = true;
    check();
}

void PageCheckCommands::check()
{
    if (m_watcher.isRunning()) {
        m_again = true;
        return;
    }
    PageCheck::Input input = m_page();
    input.text = m_current.editor().toPlainText();
    m_checkingText = input.text;
    // tidy on a large page takes longer than a frame: the window keeps painting meanwhile.
    m_watcher.setFuture(QtConcurrent::run([input] { return PageCheck::run(input); }));
}

void PageCheckCommands::showResult()
{
    if (m_again) {
        m_again = false;
        check();
        return;
    }
    const CheckRows rows = m_watcher.result();
    m_shownText = m_checkingText;
    m_panel->showRows(rows);
    // An edit asked for on rows the text had moved on from: made now on the rows of this text.
    if (const QString key = std::exchange(m_pendingFix, {}); !key.isEmpty()) {
        const auto row = std::find_if(rows.cbegin(), rows.cend(), [&](const CheckRow &r) { return r.key == key; });
        if (row != rows.cend() && row->fix)
            makeFix(row->key, *row->fix);
    }
    if (m_focusRows) {
        m_focusRows = false;
        m_panel->list().setFocus();
    }
    emit checked();
}

void PageCheckCommands::moveCaret(int line, int column)
{
    const QTextBlock block = m_current.editor().document()->findBlockByNumber(line - 1);
    if (!block.isValid())
        return;
    const QString text = block.text();
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + int(SourceLines(text).offsetOf(1, column)));
    m_current.editor().setTextCursor(cursor);
    m_current.editor().ensureCursorVisible();
    m_current.editor().view().setFocus();
}

void PageCheckCommands::makeFix(const QString &key, const CheckRow::Fix &fix)
{
    // The row's offset is one in the text it was found in; after any typing since, the check runs
    // again first and the edit is made on its new row.
    if (m_current.editor().toPlainText() != m_shownText) {
        m_pendingFix = key;
        check();
        return;
    }
    QTextCursor cursor(m_current.editor().document());
    cursor.beginEditBlock();
    cursor.setPosition(int(fix.offset));
    cursor.insertText(fix.text);
    cursor.endEditBlock();
    m_current.editor().setTextCursor(cursor);
    m_current.editor().ensureCursorVisible();
    check();
}

void PageCheckCommands::chooseOption(bool PageCheckOptions::*option, const QAction &item)
{
    // The item has already turned its check mark over when it runs this.
    m_options.*option = item.isChecked();
    // Only a convenience, like the editor view's switches: the choice still holds for this run.
    try {
        PageCheckOptions::store(m_optionsPath, option, m_options.*option);
    } catch (const std::exception &) {
    }
}
