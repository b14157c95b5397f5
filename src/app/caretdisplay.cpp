#include "app/caretdisplay.h"

#include "app/caretposition.h"
#include "authoring/editorpane.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

namespace {

bool isArrowKey(int key)
{
    return key == Qt::Key_Left || key == Qt::Key_Up || key == Qt::Key_Right || key == Qt::Key_Down;
}

} // namespace

CaretDisplay::CaretDisplay(EditorPane &editor, Show show) : QObject(&editor), m_editor(editor), m_show(std::move(show))
{
    connect(&editor, &QTextEdit::textChanged, this, &CaretDisplay::update);
    connect(&editor, &EditorPane::mouseButtonPressed, this, &CaretDisplay::update);
    connect(&editor, &EditorPane::keyReleased, this, [this](int key) {
        if (isArrowKey(key))
            update();
    });
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
