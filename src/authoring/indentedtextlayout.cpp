#include "authoring/indentedtextlayout.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>

namespace {

// Below this a line would hold nothing at all; a huge indent still leaves a sliver of text.
constexpr qreal kNarrowestLine = 8;

} // namespace

IndentedTextLayout::IndentedTextLayout(QTextDocument *document) : QPlainTextDocumentLayout(document)
{}

// The plain-text layout lays a block out in a private function that every path reaches (an edit,
// a resize, the first paint); all of them ask for the block's rectangle before it is painted or
// the caret is placed, so the indent is put right here, once per layout.
QRectF IndentedTextLayout::blockBoundingRect(const QTextBlock &block) const
{
    const QRectF plain = QPlainTextDocumentLayout::blockBoundingRect(block);
    const QTextLayout *layout = block.isValid() ? block.layout() : nullptr;
    if (layout == nullptr || layout->lineCount() == 0)
        return plain;
    const qreal indent = block.blockFormat().textIndent();
    const qreal wantedX = document()->documentMargin() + indent;
    if (std::abs(layout->lineAt(0).x() - wantedX) < 0.5)
        return plain;
    layOutIndented(block, indent);
    return QPlainTextDocumentLayout::blockBoundingRect(block);
}

void IndentedTextLayout::layOutIndented(const QTextBlock &block, qreal indent) const
{
    QTextLayout *layout = block.layout();
    const qreal margin = document()->documentMargin();
    // The width the plain layout gave the block: its first row's, plus whatever indent took.
    const QTextLine firstRow = layout->lineAt(0);
    const qreal available = firstRow.width() + (firstRow.x() - margin);
    const int linesBefore = block.lineCount();
    qreal top = 0;
    layout->beginLayout();
    for (bool first = true;; first = false) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        const qreal x = first ? indent : 0;
        line.setLeadingIncluded(true);
        line.setLineWidth(std::max(kNarrowestLine, available - x));
        line.setPosition(QPointF(margin + x, top));
        top += line.height();
    }
    layout->endLayout();
    QTextBlock counted = block;
    counted.setLineCount(block.isVisible() ? layout->lineCount() : 0);
    if (counted.lineCount() != linesBefore)
        emit const_cast<IndentedTextLayout *>(this)->documentSizeChanged(documentSize());
}
