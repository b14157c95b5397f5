#include "authoring/sourceview.h"

#include "authoring/htmlhighlighter.h"
#include "authoring/indentedtextlayout.h"
#include "authoring/linenumbergutter.h"
#include "workspace/compositionshown.h"

#include <QInputMethodEvent>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocumentFragment>

namespace {

constexpr int kGutterPadding = 4;

// The caret's line is tinted a little towards the text colour, so it shows on any background.
QColor caretLineColor(const QPalette &palette)
{
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    constexpr double kShare = 0.08;
    return QColor::fromRgbF(float(base.redF() + (text.redF() - base.redF()) * kShare),
                            float(base.greenF() + (text.greenF() - base.greenF()) * kShare),
                            float(base.blueF() + (text.blueF() - base.blueF()) * kShare));
}

} // namespace

SourceView::SourceView(QWidget *parent)
    : QPlainTextEdit(parent), m_gutter(new LineNumberGutter(*this)), m_ownText(new QTextDocument(this))
{
    connect(this, &QPlainTextEdit::blockCountChanged, this, &SourceView::updateGutterWidth);
    connect(this, &QPlainTextEdit::updateRequest, this, &SourceView::followUpdate);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &SourceView::markCaretLine);
    showText(nullptr);
}

SourceView::~SourceView()
{
    // The colours belong to this view, not to the page, whose text stays with its document.
    delete m_highlighter;
}

void SourceView::showText(QTextDocument *text)
{
    if (!text)
        text = m_ownText;
    if (text == document())
        return;
    delete m_highlighter;
    if (!text->findChild<IndentedTextLayout *>(QString(), Qt::FindDirectChildrenOnly))
        text->setDocumentLayout(new IndentedTextLayout(text));
    setDocument(text);
    // A text taken over keeps the font of whoever showed it last; it is shown in this view's.
    text->setDefaultFont(font());
    if (m_highlightingOn)
        startHighlighting();
    updateGutterWidth();
    markCaretLine();
}

HtmlHighlighter *SourceView::highlighter() const
{
    return m_highlighter;
}

void SourceView::startHighlighting()
{
    m_highlighter = new HtmlHighlighter(document());
    m_highlighter->setBackground(palette().color(QPalette::Base));
}

void SourceView::setLineNumbersShown(bool shown)
{
    if (shown == m_lineNumbersShown)
        return;
    m_lineNumbersShown = shown;
    m_gutter->setVisible(shown);
    updateGutterWidth();
}

void SourceView::setHighlightingOn(bool on)
{
    if (on == m_highlightingOn)
        return;
    m_highlightingOn = on;
    if (on) {
        startHighlighting();
    } else {
        // The highlighter takes its colours with it; not a character of the page changes.
        delete m_highlighter;
        m_highlighter = nullptr;
    }
    viewport()->update();
}

int SourceView::gutterWidth() const
{
    if (!m_lineNumbersShown)
        return 0;
    int digits = 1;
    for (int count = qMax(1, blockCount()); count >= 10; count /= 10)
        ++digits;
    // Room for three digits at least, so the text does not jump while a page grows past 9 lines.
    digits = qMax(digits, 3);
    return 2 * kGutterPadding + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

void SourceView::updateGutterWidth()
{
    // Called on every full repaint; setting the same margins again would lay the view out anew.
    const int width = gutterWidth();
    if (viewportMargins().left() != width)
        setViewportMargins(width, 0, 0, 0);
    const QRect inside = contentsRect();
    const QRect place(inside.left(), inside.top(), width, inside.height());
    if (m_gutter->geometry() != place)
        m_gutter->setGeometry(place);
}

void SourceView::followUpdate(const QRect &rect, int dy)
{
    if (dy != 0)
        m_gutter->scroll(0, dy);
    else
        m_gutter->update(0, rect.y(), m_gutter->width(), rect.height());
    if (rect.contains(viewport()->rect()))
        updateGutterWidth();
}

QVariant SourceView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    QVariant answer = QPlainTextEdit::inputMethodQuery(query);
    // The base class places the text's rectangles by the frame alone, leaving out the margin the
    // line numbers stand in, and an input method then opens its candidates that far left of the
    // caret.
    if (query == Qt::ImCursorRectangle || query == Qt::ImAnchorRectangle) {
        const QMargins margins = viewportMargins();
        answer = answer.toRectF().translated(margins.left(), margins.top());
    }
    return answer;
}

QMimeData *SourceView::createMimeDataFromSelection() const
{
    // A source is text: the base class would add HTML with the display's font and formats.
    auto *mime = new QMimeData;
    mime->setText(textCursor().selection().toPlainText());
    return mime;
}

void SourceView::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    updateGutterWidth();
}

void SourceView::paintEvent(QPaintEvent *event)
{
    // Colour what is about to be painted; the rest of the page waits until it is shown.
    if (m_highlighter) {
        const QList<GutterLine> lines = gutterLines();
        if (!lines.isEmpty())
            m_highlighter->showBlocks(lines.first().number - 1, lines.last().number - 1);
    }
    QPlainTextEdit::paintEvent(event);
}

void SourceView::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        if (m_highlighter)
            m_highlighter->setBackground(palette().color(QPalette::Base));
        markCaretLine();
    } else if (event->type() == QEvent::FontChange) {
        updateGutterWidth();
    }
}

// A row holding a character from a taller fallback font (many kanji, emoji) sits lower in its
// line box than a Latin row; the number follows the text's own baseline, not the box.
qreal SourceView::firstRowBaseline(const QTextBlock &block) const
{
    const QTextLayout *layout = block.layout();
    if (layout != nullptr && layout->lineCount() > 0) {
        const QTextLine row = layout->lineAt(0);
        return layout->position().y() + row.y() + row.ascent();
    }
    return document()->documentMargin() + fontMetrics().ascent();
}

QList<SourceView::GutterLine> SourceView::gutterLines() const
{
    QList<GutterLine> lines;
    const int caretBlock = textCursor().blockNumber();
    const int bottom = viewport()->height();
    QTextBlock block = firstVisibleBlock();
    QRectF geometry = blockBoundingGeometry(block).translated(contentOffset());
    while (block.isValid() && geometry.top() <= bottom) {
        if (block.isVisible()) {
            const int number = block.blockNumber();
            lines.append({number + 1,
                          qRound(geometry.top()),
                          qRound(geometry.height()),
                          qRound(geometry.top() + firstRowBaseline(block)),
                          number == caretBlock});
        }
        block = block.next();
        geometry = blockBoundingGeometry(block).translated(contentOffset());
    }
    return lines;
}

void SourceView::paintGutter(QWidget &gutter, const QRect &area)
{
    QPainter painter(&gutter);
    const QPalette colours = palette();
    painter.fillRect(area, colours.color(QPalette::Window));
    for (const GutterLine &line : gutterLines()) {
        if (line.top + line.height < area.top() || line.top > area.bottom())
            continue;
        QFont font = this->font();
        font.setBold(line.caretLine);
        painter.setFont(font);
        painter.setPen(colours.color(line.caretLine ? QPalette::WindowText : QPalette::PlaceholderText));
        const QString number = QString::number(line.number);
        const int right = gutter.width() - kGutterPadding;
        painter.drawText(QPoint(right - painter.fontMetrics().horizontalAdvance(number), line.baseline), number);
    }
}

void SourceView::markCaretLine()
{
    QTextEdit::ExtraSelection line;
    line.format.setBackground(caretLineColor(palette()));
    line.format.setProperty(QTextFormat::FullWidthSelection, true);
    line.cursor = textCursor();
    line.cursor.clearSelection();
    setExtraSelections({line});
    // The gutter's bold number moves with the caret from one line to another.
    const int block = textCursor().blockNumber();
    if (block != m_caretBlock) {
        m_caretBlock = block;
        m_gutter->update();
    }
}

void SourceView::mousePressEvent(QMouseEvent *event)
{
    QPlainTextEdit::mousePressEvent(event);
    emit mouseButtonPressed();
}

void SourceView::inputMethodEvent(QInputMethodEvent *event)
{
    const CompositionShown composing(*document(), *event, textCursor());
    QPlainTextEdit::inputMethodEvent(event);
}
