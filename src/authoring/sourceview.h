#pragma once

#include <QList>
#include <QPlainTextEdit>
#include <QPointer>

class HtmlHighlighter;
class LineNumberGutter;

// The source view of a page that is not rich text: plain-text layout (lazy, block by block,
// so big pages open and edit without stalls), a line-number gutter and colour-coded HTML that
// stay display only. It owns the gutter and the highlighter; the caret's line is marked in both.
class SourceView : public QPlainTextEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SourceView)

public:
    explicit SourceView(QWidget *parent = nullptr);
    ~SourceView() override;

    // Shows the text, laid out block by block as this view lays text out; null shows a blank
    // text of the view's own. The text must outlive the view or be let go of first.
    void showText(QTextDocument *text);

    bool lineNumbersShown() const { return m_lineNumbersShown; }
    void setLineNumbersShown(bool shown);

    bool highlightingOn() const { return m_highlightingOn; }
    void setHighlightingOn(bool on);

    // The highlighter while highlighting is on; null otherwise.
    HtmlHighlighter *highlighter() const;

    // One line number as the gutter shows it: a line wrapped over several rows counts once, and
    // its number stands beside its first row.
    struct GutterLine
    {
        int number = 0; // from 1
        int top = 0;    // in the gutter's (and the viewport's) coordinates
        int height = 0;
        int baseline = 0; // of the line's first row, where its number stands
        bool caretLine = false;
    };
    // Where the caret (and so the input method's candidate window) is, as the view shows it.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

    // The numbers of the lines now on screen, top to bottom.
    QList<GutterLine> gutterLines() const;
    int gutterWidth() const;
    void paintGutter(QWidget &gutter, const QRect &area);

signals:
    // After the view has handled the event, so the caret is already where it moved to.
    void mouseButtonPressed();

protected:
    // A word the input method is still composing is shown, not yet an edit of the page.
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    qreal firstRowBaseline(const QTextBlock &block) const;
    void updateGutterWidth();
    void followUpdate(const QRect &rect, int dy);
    void markCaretLine();
    void startHighlighting();

    LineNumberGutter *m_gutter = nullptr;
    QTextDocument *m_ownText = nullptr;
    // Lives on the text it colours, which may go before the view.
    QPointer<HtmlHighlighter> m_highlighter;
    bool m_lineNumbersShown = true;
    bool m_highlightingOn = true;
    int m_caretBlock = -1;
};
