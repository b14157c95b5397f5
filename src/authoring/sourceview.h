#pragma once

#include <QPlainTextEdit>

// The source view of a page that is not rich text: plain-text layout (lazy, block by block,
// so big pages open and edit without stalls), a line-number gutter and colour-coded HTML that
// stay display only.
class SourceView : public QPlainTextEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SourceView)

public:
    explicit SourceView(QWidget *parent = nullptr);

    bool lineNumbersShown() const { return m_lineNumbersShown; }
    void setLineNumbersShown(bool shown);

    bool highlightingOn() const { return m_highlightingOn; }
    void setHighlightingOn(bool on);

signals:
    // After the view has handled the event, so the caret is already where it moved to.
    void mouseButtonPressed();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool m_lineNumbersShown = true;
    bool m_highlightingOn = true;
};
