#pragma once

#include <QPlainTextDocumentLayout>

// The source view's block layout with the paragraph's first-line indent shown, as the rich-text
// pane shows it: the indent commands set it on a block, and the plain-text layout alone would
// lay every line out at the margin. Wrapped lines after the first keep the margin.
class IndentedTextLayout : public QPlainTextDocumentLayout
{
    Q_OBJECT

public:
    explicit IndentedTextLayout(QTextDocument *document);

    QRectF blockBoundingRect(const QTextBlock &block) const override;

private:
    void layOutIndented(const QTextBlock &block, qreal indent) const;
};
