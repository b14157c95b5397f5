#include "app/caretdisplay.h"

#include "app/caretposition.h"
#include "authoring/editorpane.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

CaretDisplay::CaretDisplay(EditorPane &editor, Show show) : QObject(&editor), m_editor(editor), m_show(std::move(show))
{
    // Following the caret itself, rather than the keys and commands that move it, keeps the
    // panel right after every command too: the page skeleton, an insertion, Find, undo, open.
    connect(&editor, &QTextEdit::cursorPositionChanged, this, &CaretDisplay::update);
    // A change of the text can re-wrap the line the caret is on without moving it.
    connect(&editor, &QTextEdit::textChanged, this, &CaretDisplay::update);
    // A click where the caret already is still shows it, the first time included.
    connect(&editor, &EditorPane::mouseButtonPressed, this, &CaretDisplay::update);
}

void CaretDisplay::update()
{
    QTextDocument *document = m_editor.document();
    const int position = m_editor.textCursor().selectionStart();
    const QTextBlock block = document->findBlock(position);
    if (!block.isValid())
        return;
    // The pane lays its text out lazily; asking for the block's place lays out everything up to
    // it, so the wrapped lines above the caret are counted.
    document->documentLayout()->blockBoundingRect(block);
    int lineIndex = 0;
    for (QTextBlock before = document->begin(); before != block; before = before.next())
        lineIndex += qMax(1, before.layout() ? before.layout()->lineCount() : 1);
    const int inBlock = position - block.position();
    int lineStart = 0;
    if (const QTextLayout *layout = block.layout()) {
        const QTextLine line = layout->lineForTextPosition(inBlock);
        if (line.isValid()) {
            lineIndex += line.lineNumber();
            lineStart = line.textStart();
        }
    }
    m_show(CaretPosition::displayText(lineIndex, block.text().mid(lineStart, inBlock - lineStart)));
}
