#include "app/caretdisplay.h"

#include "app/caretposition.h"
#include "authoring/editorstack.h"

#include <QTextBlock>
#include <QTextCursor>

CaretDisplay::CaretDisplay(EditorStack &editor, Show show) : QObject(&editor), m_editor(editor), m_show(std::move(show))
{
    // Following the caret itself, rather than the keys and commands that move it, keeps the
    // panel right after every command too: the page skeleton, an insertion, Find, undo, open.
    connect(&editor, &EditorStack::cursorPositionChanged, this, &CaretDisplay::update);
    // An edit before the caret on its line changes the column without a move being reported
    // when the caret's position number stays (an input method's commit, for one).
    connect(&editor, &EditorStack::textChanged, this, &CaretDisplay::update);
    // A click where the caret already is still shows it, the first time included.
    connect(&editor, &EditorStack::mouseButtonPressed, this, &CaretDisplay::update);
}

void CaretDisplay::update()
{
    // Only the caret's own paragraph is read, so a key costs the same at the end of a big page
    // as at its top: the line is the paragraph's number, however many lines it wraps into.
    QTextCursor start = m_editor.textCursor();
    start.setPosition(start.selectionStart());
    const QTextBlock block = start.block();
    if (!block.isValid())
        return;
    const int inBlock = start.position() - block.position();
    m_show(CaretPosition::displayText(block.blockNumber(), block.text().left(inBlock)));
}
