#include "app/replacecommands.h"

#include "app/documentedits.h"
#include "app/findrules.h"
#include "app/replacedialog.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "common/commanddispatcher.h"
#include "workspace/panetext.h"

#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>

using ReplaceRules::Range;

namespace {

const QString kNotFound = QStringLiteral("見つかりませんでした");
const QString kWrapped = QStringLiteral("文書の先頭から検索しました");
constexpr int kGapBesideFind = 8;

Range selectionOf(const PageContext &page)
{
    const EditorStack &editor = page.editor();
    const QString paneText = editor.document()->toRawText();
    const QTextCursor cursor = editor.textCursor();
    const int start = PaneText::toDocumentPosition(paneText, cursor.selectionStart());
    return {start, PaneText::toDocumentPosition(paneText, cursor.selectionEnd()) - start};
}

} // namespace

ReplaceCommands::ReplaceCommands(
    CommandDispatcher &commands, PageContext &current, const QWidget &findDialog, Say status, QWidget &window)
    : QObject(&window), m_current(current), m_findDialog(findDialog), m_status(std::move(status)), m_window(window),
      m_dialog(new ReplaceDialog(&window))
{
    commands.add(QStringLiteral("mnuReplaceClick"), [this](int) { showReplace(); });
    const auto run = [this, &commands](void (ReplaceCommands::*command)()) {
        return [this, &commands, command] { commands.guard([this, command] { (this->*command)(); }); };
    };
    connect(m_dialog, &ReplaceDialog::findNextRequested, this, run(&ReplaceCommands::findNext));
    connect(m_dialog, &ReplaceDialog::replaceRequested, this, run(&ReplaceCommands::replaceOne));
    connect(m_dialog, &ReplaceDialog::replaceAllRequested, this, run(&ReplaceCommands::replaceAll));
}

void ReplaceCommands::showReplace()
{
    const QString selected = EditorAdapter(m_current.editor()).selectedText();
    if (!selected.isEmpty() && !selected.contains(QLatin1Char('\n')))
        m_dialog->setSearchText(selected);
    // Where the user moved it, it stays while it is open.
    if (!m_dialog->isVisible()) {
        const bool findOpen = m_findDialog.isVisible();
        const QPoint findAt = findOpen
            ? m_findDialog.pos()
            : FindRules::dialogPosition(m_window.frameGeometry(), m_current.editor().width());
        const int findWidth = findOpen ? m_findDialog.frameGeometry().width() : m_findDialog.sizeHint().width();
        QPoint at = findAt + QPoint(findWidth + kGapBesideFind, 0);
        if (const QScreen *screen = m_window.screen())
            at.setX(qMax(0, qMin(at.x(), screen->availableGeometry().right() - m_dialog->sizeHint().width())));
        m_dialog->move(at);
    }
    m_dialog->activate();
}

std::optional<ReplaceRules::Pattern> ReplaceCommands::pattern()
{
    if (m_dialog->searchText().isEmpty())
        return std::nullopt;
    ReplaceRules::Pattern pattern(m_dialog->searchText(), m_dialog->options());
    if (!pattern.isValid()) {
        say(pattern.errorMessage());
        return std::nullopt;
    }
    return pattern;
}

void ReplaceCommands::findNext()
{
    if (const std::optional<ReplaceRules::Pattern> pattern = this->pattern())
        selectNext(*pattern, EditorAdapter(m_current.editor()).text(), selectionOf(m_current));
}

void ReplaceCommands::replaceOne()
{
    const std::optional<ReplaceRules::Pattern> pattern = this->pattern();
    if (!pattern)
        return;
    EditorStack &editor = m_current.editor();
    EditorAdapter adapter(editor);
    QString text = adapter.text();
    Range from = selectionOf(m_current);
    const bool emptyMatchHere = m_emptyMatchDocument == editor.document() && m_emptyMatchAt == from.start;
    if (from.length > 0 || emptyMatchHere) {
        if (const std::optional<QRegularExpressionMatch> match = pattern->matchExactly(text, from)) {
            adapter.replaceSelection(pattern->replacementFor(*match, m_dialog->replacementText()));
            text = adapter.text();
            from = {adapter.caretPosition(), 0};
        }
    }
    selectNext(*pattern, text, from);
}

void ReplaceCommands::replaceAll()
{
    const std::optional<ReplaceRules::Pattern> pattern = this->pattern();
    if (!pattern)
        return;
    EditorStack &editor = m_current.editor();
    const QString text = EditorAdapter(editor).text();
    const QList<ReplaceRules::Edit> edits = pattern->replaceAll(text, m_dialog->replacementText());
    if (edits.isEmpty()) {
        say(kNotFound);
        return;
    }
    DocumentEdits::applyInOneStep(*editor.document(), text, edits);
    say(QStringLiteral("%1 件置換しました").arg(edits.size()));
}

void ReplaceCommands::selectNext(const ReplaceRules::Pattern &pattern, const QString &text, Range from)
{
    const std::optional<ReplaceRules::Found> found = pattern.findNext(text, from);
    if (!found) {
        say(kNotFound);
        return;
    }
    select(found->range);
    say(found->wrapped ? kWrapped : QString());
}

void ReplaceCommands::select(Range range)
{
    EditorStack &editor = m_current.editor();
    EditorAdapter(editor).setSelection(range.start, range.length);
    m_emptyMatchDocument = range.length == 0 ? editor.document() : nullptr;
    m_emptyMatchAt = range.start;
    editor.ensureCursorVisible();
}

void ReplaceCommands::say(const QString &text)
{
    m_dialog->showMessage(text);
    // Panel 0 shows the caret again as soon as it moves; an empty word would only hide it now.
    if (!text.isEmpty())
        m_status(text);
}
