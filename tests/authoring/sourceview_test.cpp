// The source view on screen: line numbers beside the lines they number, the caret's line marked,
// and HTML colours that only the display has, given to what is shown and finished off screen
// when the program is idle.
#include "authoring/sourceview.h"

#include "authoring/htmlhighlighter.h"
#include "common/uifont.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

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

// The colour each character of a block shows; invalid where its own colour shows.
QList<QColor> shownColours(const QTextBlock &block)
{
    QList<QColor> colours(block.length() - 1);
    for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
        for (int i = range.start; i < range.start + range.length && i < colours.size(); ++i)
            colours[i] = range.format.foreground().color();
    }
    return colours;
}

// What colouring the whole text afresh from its first line gives each block.
QList<QList<QColor>> freshColours(const QTextDocument &document, const HtmlHighlighter &highlighter)
{
    QList<QList<QColor>> blocks;
    HtmlTokenizer::State state;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const HtmlTokenizer::Result line = HtmlTokenizer::tokenize(block.text(), state);
        QList<QColor> colours(block.length() - 1);
        for (const HtmlTokenizer::Span &span : line.spans) {
            if (span.kind != HtmlTokenizer::Kind::Text)
                std::fill_n(colours.begin() + span.start, span.length, highlighter.colorOf(span.kind));
        }
        blocks.append(colours);
        state = line.end;
    }
    return blocks;
}

void waitForIdleSteps(const HtmlHighlighter &highlighter)
{
    for (int round = 0; round < 100000 && highlighter.hasPendingWork(); ++round)
        QApplication::processEvents();
    ASSERT_FALSE(highlighter.hasPendingWork());
}

TEST(SourceView, OpensALongPageWithoutColouringWhatIsNotShown)
{
    // Opening replaces the whole text: nothing below the screen is coloured, not even once the
    // idle steps have read the whole page; a far line is coloured when it is scrolled to.
    SourceView view;
    QStringList page{q("<html><body>"), q("<!-- a comment")};
    for (int i = 0; i < 40000; ++i)
        page.append(i % 2 ? q("<p class=\"a\">猫 &amp; 犬</p>") : q("--> <b>&#12354;</b> <!--"));
    view.setPlainText(page.join(u'\n'));
    showAndPaint(view);
    HtmlHighlighter &highlighter = *view.highlighter();
    waitForIdleSteps(highlighter);
    const QTextDocument &document = *view.document();
    const int lastShown = view.gutterLines().last().number - 1;
    EXPECT_EQ(colourAt(document.firstBlock(), 1), highlighter.colorOf(HtmlTokenizer::Kind::Tag));
    for (QTextBlock block = document.findBlockByNumber(lastShown + 1); block.isValid(); block = block.next())
        ASSERT_TRUE(block.layout()->formats().isEmpty()) << "line " << block.blockNumber() + 1;

    constexpr int kFar = 30001;
    view.setTextCursor(QTextCursor(document.findBlockByNumber(kFar)));
    view.centerCursor();
    view.repaint();
    EXPECT_FALSE(document.findBlockByNumber(kFar).layout()->formats().isEmpty());
    EXPECT_EQ(shownColours(document.findBlockByNumber(kFar)), freshColours(document, highlighter)[kFar]);
}

struct EditCase
{
    const char *name;
    std::function<void(SourceView &)> edit;
};

void PrintTo(const EditCase &c, std::ostream *os)
{
    *os << c.name;
}

class SourceViewEdits : public ::testing::TestWithParam<EditCase>
{};

void putCaret(SourceView &view, int block, int column)
{
    QTextCursor caret(view.document()->findBlockByNumber(block));
    caret.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, column);
    view.setTextCursor(caret);
}

void typeCommentOpening(SourceView &view)
{
    putCaret(view, 1, 0);
    QTest::keyClicks(&view, QStringLiteral("<!--"));
}

TEST_P(SourceViewEdits, LeaveTheColoursThatColouringAfreshGives)
{
    // A head with style and script and an attribute value over lines, then paragraphs well past
    // the screen, and a comment over lines at the end: a comment opened near the top runs on to it.
    QStringList page{q("<!DOCTYPE html>"),
                     q("<html><head><title>猫の頁</title>"),
                     q("<style>"),
                     q("p { color: red; }"),
                     q("</style><script>"),
                     q("var s = \"<p>\";"),
                     q("</script></head><body>"),
                     q("<p class=\"a\" title=\"x"),
                     q("y\">猫 &amp; 犬</p>")};
    for (int i = 0; i < 140; ++i)
        page.append(i % 2 ? q("<p class=\"a\">猫 &amp; 犬</p>") : q("<a href='b.htm'>次へ</a> &#12354;"));
    page.append({q("<!-- a comment"), q("over lines -->"), q("</body></html>")});
    SourceView view;
    view.setPlainText(page.join(u'\n'));
    showAndPaint(view);
    // Every line shown once, so that the lines off screen hold colours an edit can make stale.
    QScrollBar &bar = *view.verticalScrollBar();
    for (int top = 0; top <= bar.maximum(); top += 5) {
        bar.setValue(top);
        view.repaint();
    }
    bar.setValue(0);
    view.repaint();
    HtmlHighlighter &highlighter = *view.highlighter();
    waitForIdleSteps(highlighter);

    GetParam().edit(view);
    view.repaint();
    const QTextDocument &document = *view.document();
    const QList<QList<QColor>> fresh = freshColours(document, highlighter);
    for (const SourceView::GutterLine &line : view.gutterLines()) {
        EXPECT_EQ(shownColours(document.findBlockByNumber(line.number - 1)), fresh[line.number - 1])
            << "shown line " << line.number;
    }
    waitForIdleSteps(highlighter);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        EXPECT_EQ(shownColours(block), fresh[block.blockNumber()]) << "line " << block.blockNumber() + 1;
}

const EditCase kEdits[] = {
    {"a comment opened near the top", typeCommentOpening},
    {"the comment's opening taken back",
     [](SourceView &view) {
         typeCommentOpening(view);
         for (int i = 0; i < 4; ++i)
             QTest::keyClick(&view, Qt::Key_Backspace);
     }},
    {"the comment's opening undone",
     [](SourceView &view) {
         typeCommentOpening(view);
         view.undo();
     }},
    {"the comment's opening undone and redone",
     [](SourceView &view) {
         typeCommentOpening(view);
         view.undo();
         view.redo();
     }},
    {"a paste over several lines",
     [](SourceView &view) {
         putCaret(view, 2, 3);
         QTextCursor selection = view.textCursor();
         selection.setPosition(view.document()->findBlockByNumber(5).position() + 2, QTextCursor::KeepAnchor);
         view.setTextCursor(selection);
         QApplication::clipboard()->setText(q("x\n<b title=\"y\n<!-- z"));
         view.paste();
     }},
    {"a quote typed inside an attribute value",
     [](SourceView &view) {
         putCaret(view, 7, 20);
         QTest::keyClicks(&view, QStringLiteral("\""));
     }},
};

INSTANTIATE_TEST_SUITE_P(Colours, SourceViewEdits, ::testing::ValuesIn(kEdits));

TEST(SourceView, ColoursMoveAlongAWordTheInputMethodIsComposing)
{
    // The word being composed is in the line's layout only, underlined by the input method; the
    // underline stays and the colours after the word move along with the characters.
    SourceView view;
    view.setPlainText(q("<p class=\"a\">猫</p>\n<p>犬</p>"));
    showAndPaint(view);
    putCaret(view, 0, 13);
    QTextCharFormat underline;
    underline.setFontUnderline(true);
    QInputMethodEvent composing(q("いぬ"), {{QInputMethodEvent::TextFormat, 0, 2, underline}});
    QApplication::sendEvent(&view, &composing);
    const QTextBlock block = view.document()->firstBlock();
    const QList<QTextLayout::FormatRange> formats = block.layout()->formats();
    EXPECT_TRUE(std::any_of(formats.begin(), formats.end(), [](const QTextLayout::FormatRange &range) {
        return range.start == 13 && range.length == 2 && range.format.fontUnderline();
    }));
    const QColor tag = view.highlighter()->colorOf(HtmlTokenizer::Kind::Tag);
    EXPECT_EQ(colourAt(block, 1), tag);
    EXPECT_FALSE(colourAt(block, 15).isValid()); // 猫
    EXPECT_EQ(colourAt(block, 16), tag);         // </p>

    // Inside an attribute value the value's colour stops before the word and goes on after it.
    QInputMethodEvent cancelled;
    QApplication::sendEvent(&view, &cancelled);
    putCaret(view, 0, 10); // <p class="|a">
    QApplication::sendEvent(&view, &composing);
    showAndPaint(view); // the line is coloured again as it is painted
    const QColor value = view.highlighter()->colorOf(HtmlTokenizer::Kind::AttributeValue);
    // Any format at the place, not only the first: the word's own come before the colours.
    const auto valueAt = [&](int position) {
        const QList<QTextLayout::FormatRange> now = block.layout()->formats();
        return std::any_of(now.begin(), now.end(), [&](const QTextLayout::FormatRange &range) {
            return position >= range.start && position < range.start + range.length
                && range.format.foreground().color() == value;
        });
    };
    EXPECT_TRUE(valueAt(9));
    EXPECT_FALSE(valueAt(10)) << "the word being composed is not coloured";
    EXPECT_FALSE(valueAt(11));
    EXPECT_TRUE(valueAt(12)) << "the value goes on after the word";
}

// The input method places its candidate window by the rectangle the view reports, in the view's
// own coordinates: beside the caret as it shows, the gutter and the frame to its left counted,
// while composing too.
TEST(SourceView, TellsTheInputMethodWhereTheCaretShows)
{
    SourceView view;
    view.setPlainText(q("<p class=\"a\">猫</p>\n<p>犬</p>"));
    showAndPaint(view);
    for (const bool numbers : {true, false}) {
        view.setLineNumbersShown(numbers);
        putCaret(view, 1, 3);
        QApplication::processEvents();
        QInputMethodEvent composing(q("いぬ"), {{QInputMethodEvent::Cursor, 2, 1, {}}});
        QApplication::sendEvent(&view, &composing);
        const QRect shown = view.cursorRect().translated(view.viewport()->pos());
        for (const Qt::InputMethodQuery query : {Qt::ImCursorRectangle, Qt::ImAnchorRectangle}) {
            QInputMethodQueryEvent asked(query);
            QApplication::sendEvent(&view, &asked);
            const QRect told = asked.value(query).toRect();
            EXPECT_LE(std::abs(told.left() - shown.left()), 1) << "line numbers " << numbers << " query " << query;
            EXPECT_LE(std::abs(told.top() - shown.top()), 1) << "line numbers " << numbers << " query " << query;
        }
        QInputMethodEvent done;
        QApplication::sendEvent(&view, &done);
    }
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
