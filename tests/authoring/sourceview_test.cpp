// The source view on screen: line numbers beside the lines they number, the caret's line marked,
// and HTML colours that only the display has, given to what is shown and finished off screen
// when the program is idle.
#include "authoring/sourceview.h"

#include "authoring/htmlhighlighter.h"
#include "common/uifont.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QString q(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

void showAndPaint(SourceView &view)
{
    view.resize(320, 200);
    view.show();
    view.repaint();
    QApplication::processEvents();
}

QColor colourAt(const QTextBlock &block, int position)
{
    for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
        if (position >= range.start && position < range.start + range.length)
            return range.format.foreground().color();
    }
    return {};
}

TEST(SourceView, GutterNumbersEachLineOnceAndMarksTheCaretsLine)
{
    SourceView view;
    view.setPlainText(q("<p>\n") + q("ねこ ").repeated(80) + q("\n</p>"));
    showAndPaint(view);
    QTextCursor caret = view.textCursor();
    caret.setPosition(view.document()->findBlockByNumber(1).position() + 3);
    view.setTextCursor(caret);

    const QList<SourceView::GutterLine> lines = view.gutterLines();
    ASSERT_EQ(lines.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lines[i].number, i + 1);
        EXPECT_EQ(lines[i].caretLine, i == 1) << i;
    }
    // The wrapped line takes several rows but one number, and the next number follows its rows.
    EXPECT_GT(lines[1].height, 2 * lines[0].height);
    EXPECT_EQ(lines[2].top, lines[1].top + lines[1].height);
    const QList<QTextEdit::ExtraSelection> marked = view.extraSelections();
    ASSERT_EQ(marked.size(), 1);
    EXPECT_EQ(marked.first().cursor.blockNumber(), 1);
    EXPECT_TRUE(marked.first().format.boolProperty(QTextFormat::FullWidthSelection));

    // Without numbers the text starts where the gutter was.
    const QWidget *gutter = view.findChild<QWidget *>(QStringLiteral("LineNumberGutter"));
    const int textLeft = view.viewport()->x();
    const int gutterWidth = gutter->width();
    EXPECT_EQ(textLeft, gutter->geometry().right() + 1);
    view.setLineNumbersShown(false);
    EXPECT_FALSE(gutter->isVisible());
    EXPECT_EQ(view.viewport()->x(), textLeft - gutterWidth);
    view.setLineNumbersShown(true);
    EXPECT_EQ(view.viewport()->x(), textLeft);
}

// The lowest row of an image, between top and bottom and between left and right, with a pixel
// clearly darker than the image's corner (the background); -1 when there is none.
int inkBottom(const QImage &image, const QRect &area)
{
    const int background = qGray(image.pixel(image.width() - 1, image.height() - 1));
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.bottom(); y >= inside.top(); --y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (qGray(image.pixel(x, y)) < background - 60)
                return y;
        }
    }
    return -1;
}

TEST(SourceView, GutterNumbersStandOnTheirTextsBaseline)
{
    // Tags are coloured, kanji and emoji come from fallback fonts: rows differ in height, and
    // every number still stands on its line's baseline.
    SourceView view;
    view.setFont(UiFont::windowFont());
    view.setPlainText(q("<p>abc</p>\n<p>日本語の行です</p>\n<p>second</p>\n<p>漢字と😀</p>\n<p>fifth</p>"));
    showAndPaint(view);
    const QImage numbers = view.findChild<QWidget *>(QStringLiteral("LineNumberGutter"))->grab().toImage();
    const QImage text = view.viewport()->grab().toImage();
    int checked = 0;
    for (const SourceView::GutterLine &line : view.gutterLines()) {
        if (line.number != 3 && line.number != 5)
            continue; // "second" and "fifth" have no descenders, nor have 3 and 5
        const QTextBlock block = view.document()->findBlockByNumber(line.number - 1);
        QTextCursor word(block);
        word.setPosition(block.position() + 3); // after "<p>"
        const int left = view.cursorRect(word).left() + 1;
        word.setPosition(block.position() + block.length() - 5); // before "</p>"
        const int right = view.cursorRect(word).left() - 1;
        const int textBottom =
            inkBottom(text, QRect(QPoint(left, line.top), QPoint(right, line.top + line.height - 1)));
        ASSERT_GE(textBottom, 0) << line.number;
        EXPECT_NEAR(inkBottom(numbers, QRect(0, line.top, numbers.width(), line.height)), textBottom, 1) << line.number;
        ++checked;
    }
    EXPECT_EQ(checked, 2);
}

TEST(SourceView, ColoursAreDisplayOnlyAndReachFarLinesWhenShownOrIdle)
{
    SourceView view;
    QStringList page;
    for (int i = 0; i < 3000; ++i)
        page.append(q("<p class=\"a\">猫 &amp; 犬</p>"));
    view.setPlainText(page.join(u'\n'));
    showAndPaint(view);
    HtmlHighlighter &highlighter = *view.highlighter();
    const QColor tag = highlighter.colorOf(HtmlTokenizer::Kind::Tag);
    const QColor comment = highlighter.colorOf(HtmlTokenizer::Kind::Comment);
    const QTextDocument &document = *view.document();
    EXPECT_EQ(colourAt(document.findBlockByNumber(0), 1), tag);
    EXPECT_FALSE(colourAt(document.findBlockByNumber(0), 14).isValid()); // the user's own colour shows
    EXPECT_FALSE(colourAt(document.findBlockByNumber(2000), 1).isValid());

    // Opening a comment near the top colours what is on screen at once, leaves the rest to idle
    // steps, and a far line shown before they reach it is read from the state it really starts in.
    QTextCursor top(document.findBlockByNumber(1));
    top.insertText(QStringLiteral("<!--"));
    EXPECT_EQ(colourAt(document.findBlockByNumber(2), 1), comment);
    EXPECT_TRUE(highlighter.hasPendingWork());
    view.setTextCursor(QTextCursor(document.findBlockByNumber(2500)));
    view.centerCursor();
    view.repaint();
    EXPECT_EQ(colourAt(document.findBlockByNumber(2500), 1), comment);
    highlighter.finishPendingWork();
    EXPECT_FALSE(highlighter.hasPendingWork());
    top.movePosition(QTextCursor::StartOfBlock);
    top.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, 4);
    top.removeSelectedText();
    view.repaint();
    EXPECT_EQ(colourAt(document.findBlockByNumber(2500), 1), tag);

    // On a dark background the markup takes light colours.
    QPalette dark = view.palette();
    dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x30));
    view.setPalette(dark);
    view.repaint();
    EXPECT_GT(colourAt(document.findBlockByNumber(2500), 1).lightness(), 128);
    EXPECT_GT(highlighter.colorOf(HtmlTokenizer::Kind::Comment).lightness(), 128);

    // The colours never become part of the text: copying gives plain text only, so nothing
    // pasted elsewhere takes the display's colours (or its font) along.
    view.selectAll();
    view.copy();
    const QMimeData *copied = QApplication::clipboard()->mimeData();
    EXPECT_FALSE(copied->hasHtml());
    EXPECT_EQ(copied->text(), page.join(u'\n'));
    EXPECT_FALSE(document.toHtml().contains(tag.name()));
    EXPECT_FALSE(document.toHtml().contains(highlighter.colorOf(HtmlTokenizer::Kind::Tag).name()));
}

} // namespace

TEST(SourceView, ShowsAFirstLineIndentOnTheFirstRowOnly)
{
    SourceView view;
    view.setPlainText(q("plain\n") + q("ねこ ").repeated(80));
    showAndPaint(view);
    const QTextBlock plain = view.document()->firstBlock();
    const QTextBlock indented = plain.next();
    constexpr qreal kIndent = 40;
    QTextCursor cursor(indented);
    QTextBlockFormat format = cursor.blockFormat();
    format.setTextIndent(kIndent);
    cursor.setBlockFormat(format);
    view.repaint();

    const auto caretXAt = [&](int position) {
        QTextCursor at(view.document());
        at.setPosition(position);
        return view.cursorRect(at).left();
    };
    EXPECT_NEAR(caretXAt(indented.position()) - caretXAt(plain.position()), kIndent, 1.0);
    // The rows the long paragraph wraps onto start at the margin again.
    const QTextLayout *layout = indented.layout();
    ASSERT_GT(layout->lineCount(), 1);
    EXPECT_NEAR(layout->lineAt(1).x(), layout->lineAt(0).x() - kIndent, 1.0);
    EXPECT_EQ(indented.lineCount(), layout->lineCount());
}
