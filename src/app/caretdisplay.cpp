#include "app/caretdisplay.h"

#include "app/caretposition.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"

#include <QTextBlock>
#include <QTextCursor>

CaretDisplay::CaretDisplay(PageContext &current, Show show)
    : QObject(&current), m_current(current), m_show(std::move(show))
{
    // Following the caret itself, rather than the keys and commands that move it, keeps the
    // panel right after every command too: the page skeleton, an insertion, Find, undo, open.
    connect(&current, &PageContext::cursorPositionChanged, this, &CaretDisplay::update);
    // An edit before the caret on its line changes the column without a move being reported
    // when the caret's position number stays (an input method's commit, for one).
    connect(&current, &PageContext::textChanged, this, &CaretDisplay::update);
    // A click where the caret already is still shows it, the first time included.
    connect(&current, &PageContext::mouseButtonPressed, this, &CaretDisplay::update);
    // Another page in front has its own caret.
    connect(&current, &PageContext::changed, this, &CaretDisplay::update);
}

void CaretDisplay::update()
{
    // Only the caret's own paragraph is read, so a key costs the same at the end of a big page
    // as at its top: the line is the paragraph's number, however many lines it wraps into.
    QTextCursor start = m_current.editor().textCursor();
    start.setPosition(start.selectionStart());
    const QTextBlock block = start.block();
    if (!block.isValid())
        return;
    const int inBlock = start.position() - block.position();
    m_show(CaretPosition::displayText(block.blockNumber(), block.text().left(inBlock)));
}
