#include "authoring/sourceview.h"

SourceView::SourceView(QWidget *parent) : QPlainTextEdit(parent)
{}

void SourceView::setLineNumbersShown(bool shown)
{
    m_lineNumbersShown = shown;
}

void SourceView::setHighlightingOn(bool on)
{
    m_highlightingOn = on;
}

void SourceView::mousePressEvent(QMouseEvent *event)
{
    QPlainTextEdit::mousePressEvent(event);
    emit mouseButtonPressed();
}
