// The authoring commands run through their real menu actions on the real main window: the
// exact text the pane holds afterwards, where the caret stands, and what the insertion model
// promises (nothing selected, one undo step, modified); the page skeleton over a bare pane.
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "authoring/pagecommands.h"
#include "authoring/pagecontext.h"
#include "authoring/pageskeleton.h"
#include "common/commanddispatcher.h"
#include "common/documentfilters.h"
#include "support/mainwindowfixture.h"
#include "workspace/document.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

// Readable failure output for texts.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

QString q(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

const QString kEmoji = QString::fromUtf8("\xF0\x9F\x98\x80");

class AuthoringCommandsTest : public MainWindowFixture
{
protected:
    EditorStack *pane() const { return window->view().editor; }
    EditorAdapter adapter() const { return EditorAdapter(*pane()); }

    // Loads text and selects [start, start + length) in CR LF positions, as a fresh document.
    void prepare(const QString &text, int start, int length = 0)
    {
        EditorAdapter editor = adapter();
        editor.setText(text);
        editor.setSelection(start, length);
        editor.setModified(false);
    }
};

struct InsertionCase
{
    const char *name;
    const char *action;
    QString text;
    int start;
    int length;
    QString expected;
    QString afterCaret; // the part of the expected text that follows the caret
};

void PrintTo(const InsertionCase &c, std::ostream *os)
{
    *os << c.name;
}

class InsertionTest : public AuthoringCommandsTest, public ::testing::WithParamInterface<InsertionCase>
{};

TEST_P(InsertionTest, ReplacesTheSelectionAndLeavesTheCaretAfterIt)
{
    const InsertionCase &c = GetParam();
    prepare(c.text, c.start, c.length);
    trigger(q(c.action));
    EditorAdapter editor = adapter();
    EXPECT_EQ(editor.text(), c.expected);
    EXPECT_EQ(editor.caretPosition(), c.expected.size() - c.afterCaret.size());
    EXPECT_FALSE(editor.hasSelection());
    EXPECT_TRUE(editor.isModified());
    EXPECT_EQ(dialogs.unexpected, 0);
    // One undo step takes the whole insertion back, and the document is as it was saved.
    pane()->undo();
    EXPECT_EQ(editor.text(), c.text);
    EXPECT_FALSE(editor.isModified());
    EXPECT_FALSE(pane()->document()->isUndoAvailable());
}

const QString kLinesWithWideAndEmoji = q("一行目") + kEmoji + q("\r\n二行目");
const QString kNameJump =
    q("<a href=\"#QZ\">ｼﾞｬﾝﾌﾟ先</a>\r\n") + q("<br>").repeated(24) + q("\r\n<a name=\"QZ\">ここです</a>");
const QString kImageRight = q("<img src=\"画像ファイル名\" align=\"right\" alt=\"この画像は○○です\">");

INSTANTIATE_TEST_SUITE_P(
    Commands,
    InsertionTest,
    ::testing::Values(
        InsertionCase{"BoldAtCaret", "N5", q("xy"), 1, 0, q("x<b></b>y"), q("y")},
        InsertionCase{"HeadingAcrossLinesKeepsEveryCharacter",
                      "mnuMIDASHI",
                      q("a") + kLinesWithWideAndEmoji + q("z"),
                      1,
                      int(kLinesWithWideAndEmoji.size()),
                      q("a<h1>") + kLinesWithWideAndEmoji + q("</h1>z"),
                      q("z")},
        InsertionCase{
            "DivAlignAroundWideText", "N45", q("前全角後"), 1, 2, q("前<div align=\"center\">全角</div>後"), q("後")},
        InsertionCase{"BareAlignAttribute", "N47", QString(), 0, 0, q(" align=\"left\""), QString()},
        InsertionCase{
            "BreakMovesCaretToNextLine", "mnuKaigyo", q("ab\r\ncd"), 2, 0, q("ab<br>\r\n\r\ncd"), q("\r\ncd")},
        InsertionCase{
            "ParagraphAroundLines", "N11", q("x\r\nabc\r\ny"), 3, 3, q("x\r\n<p>\r\nabc\r\n</p>\r\n\r\ny"), q("\r\ny")},
        InsertionCase{"QuoteOfSelectedLines",
                      "N16",
                      q("title\r\n\r\n") + kEmoji + q("\r\nnext"),
                      0,
                      13,
                      q("title<blockquote>\r\n") + kEmoji + q("\r\n</blockquote>\r\nnext"),
                      q("next")},
        InsertionCase{"DefinitionOfOneWordIsTheSample",
                      "N15",
                      q("word"),
                      0,
                      4,
                      q("<dl>\r\n　<dt>ＨＴＭＬとは\r\n　<dd>"
                        "WWW上に配信するファイルを作成するために使われるプログラム言語の一種です\r\n</dl>\r\n"),
                      QString()},
        InsertionCase{"ImageReplacesSelection", "mnuGrp2", q("abc"), 0, 3, kImageRight, QString()},
        InsertionCase{"MailAddressBecomesTarget",
                      "mail1",
                      q("taro@example.jp"),
                      0,
                      15,
                      q("<a href=\"mailto:taro@example.jp\"></a>"),
                      QString()},
        InsertionCase{"InPageJumpAtCaret", "NAME1", QString(), 0, 0, kNameJump, QString()},
        InsertionCase{"RuleReplacesSelection", "mnuHR", q("a\r\nb"), 0, 4, q("<hr>"), QString()}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(AuthoringCommandsTest, EachInsertionIsOneUndoStepAndEarlierTypingSurvives)
{
    prepare(q("abc"), 3);
    pane()->setFocus();
    QTest::keyClicks(&pane()->view(), q("typed"));
    ASSERT_EQ(adapter().text(), q("abctyped"));
    trigger(q("N6")); // at the caret, right after the typing
    adapter().setSelection(0, 3);
    trigger(q("N5")); // around a selection
    ASSERT_EQ(adapter().text(), q("<b>abc</b>typed<i></i>"));

    const QString steps[] = {q("abctyped<i></i>"), q("abctyped")};
    for (const QString &expected : steps) {
        pane()->undo();
        EXPECT_EQ(adapter().text(), expected);
        EXPECT_TRUE(adapter().isModified());
    }
    // Further back is the typing, and behind it the text as it was saved.
    while (pane()->document()->isUndoAvailable())
        pane()->undo();
    EXPECT_EQ(adapter().text(), q("abc"));
    EXPECT_FALSE(adapter().isModified());
    // Redo walks forward again and the document counts as changed.
    while (pane()->document()->isRedoAvailable())
        pane()->redo();
    EXPECT_EQ(adapter().text(), q("<b>abc</b>typed<i></i>"));
    EXPECT_TRUE(adapter().isModified());
}

TEST_F(AuthoringCommandsTest, UndoAfterSavingLeavesTheDocumentModified)
{
    prepare(q("abc"), 3);
    trigger(q("N6"));
    adapter().setModified(false); // as a save leaves it
    pane()->undo();
    EXPECT_EQ(adapter().text(), q("abc"));
    EXPECT_TRUE(adapter().isModified());
    pane()->redo();
    EXPECT_FALSE(adapter().isModified());
}

// The page skeleton command alone, over a bare pane: no main window needed.
class PageCommandsTest : public ::testing::Test
{
protected:
    PageCommandsTest()
    {
        window.setWindowTitle(q("QZWeb [/w/old.htm]"));
        window.setAccessibleName(window.windowTitle());
        document.setPath(q("/w/old.htm"));
        QObject::connect(&document, &Document::changed, [this](Document::Aspect aspect) {
            if (aspect == Document::Aspect::Path)
                ++resets;
        });
    }

    void run() { commands.run(q("HTML1Click")); }
    EditorAdapter adapter() { return EditorAdapter(pane); }

    ScriptedUserDialogs dialogs;
    QWidget window;
    EditorStack pane{&window};
    CommandDispatcher commands{dialogs, window};
    Document document;
    PageContext context{pane, document};
    PageCommands page{commands, context, dialogs, window};
    int resets = 0; // the document told whoever follows it that it is another (untitled) one
};

TEST_F(PageCommandsTest, OnAnEmptyPaneItAsksNothing)
{
    TextFormat utf8;
    utf8.encoding = TextFormat::Encoding::Utf8;
    document.setFormat(utf8);
    run();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(adapter().text(), PageSkeleton::text());
    EXPECT_EQ(adapter().caretPosition(), PageSkeleton::caretPosition());
    EXPECT_EQ(pane.textCursor().block().text(), QString()); // the blank line inside the body
    EXPECT_EQ(pane.textCursor().block().next().text(), q("</body>"));
    EXPECT_EQ(window.windowTitle(), q("QZWeb"));
    EXPECT_EQ(window.accessibleName(), q("QZWeb"));
    EXPECT_TRUE(document.path().isEmpty());
    // A new page, not yet saved: written as a new document is, and counted as a change.
    EXPECT_EQ(document.format().encoding, TextFormat::Encoding::Cp932);
    EXPECT_TRUE(adapter().isModified());
    EXPECT_EQ(resets, 1);
}

TEST_F(PageCommandsTest, ItReplacesTextOnlyWhenTheUserSaysYes)
{
    for (DialogButton answer : {DialogButton::No, DialogButton::Cancel, DialogButton::Yes}) {
        adapter().setText(q("mine"));
        adapter().setCaret(2);
        adapter().setModified(false);
        document.setPath(q("/w/old.htm"));
        window.setWindowTitle(q("QZWeb [/w/old.htm]"));
        window.setAccessibleName(window.windowTitle());
        dialogs.messages.clear();
        dialogs.messageAnswers.enqueue(answer);
        resets = 0;
        run();
        ASSERT_EQ(dialogs.messages.size(), 1);
        const MessageBoxRequest &asked = dialogs.messages.first();
        EXPECT_EQ(asked.title, q("確認"));
        EXPECT_EQ(asked.text, q("現在の書き込まれてある文字を初期化します。\r\n\r\n　…よろしいですか？"));
        EXPECT_EQ(asked.icon, DialogIcon::Question);
        EXPECT_EQ(asked.buttons, (QList<DialogButton>{DialogButton::Yes, DialogButton::No, DialogButton::Cancel}));
        EXPECT_EQ(asked.defaultButton, DialogButton::Cancel);
        const bool replaced = answer == DialogButton::Yes;
        EXPECT_EQ(adapter().text(), replaced ? PageSkeleton::text() : q("mine"));
        EXPECT_EQ(window.windowTitle(), replaced ? q("QZWeb") : q("QZWeb [/w/old.htm]"));
        EXPECT_EQ(window.accessibleName(), window.windowTitle());
        EXPECT_EQ(document.path().isEmpty(), replaced);
        EXPECT_EQ(adapter().isModified(), replaced);
        EXPECT_EQ(resets, replaced ? 1 : 0);
    }
}

TEST_F(AuthoringCommandsTest, IndentStepsTenPointsOnEverySelectedParagraphAndCancels)
{
    prepare(q("one\r\ntwo\r\nthree"), 1, 6); // from inside "one" into "two"
    trigger(q("mnuIndent"));
    trigger(q("mnuIndent"));
    const qreal twentyPoints = 20.0 * pane()->logicalDpiX() / 72.0;
    const QTextBlock first = pane()->document()->firstBlock();
    EXPECT_DOUBLE_EQ(first.blockFormat().textIndent(), twentyPoints);
    EXPECT_DOUBLE_EQ(first.next().blockFormat().textIndent(), twentyPoints);
    EXPECT_DOUBLE_EQ(first.next().next().blockFormat().textIndent(), 0.0);
    EXPECT_EQ(adapter().text(), q("one\r\ntwo\r\nthree"));
    trigger(q("mnuCancel"));
    EXPECT_DOUBLE_EQ(first.blockFormat().textIndent(), 0.0);
    EXPECT_DOUBLE_EQ(first.next().blockFormat().textIndent(), 0.0);
}

TEST_F(AuthoringCommandsTest, FileNameIsWrittenRelativeToTheCurrentFolder)
{
    ASSERT_TRUE(QDir(work.path()).mkpath(q("img")));
    ASSERT_TRUE(QFile::link(workPath(q("img")), workPath(q("linked"))));
    const QString base = QDir::currentPath();
    struct Case
    {
        std::optional<QString> chosen;
        QString expected;
    };
    const Case cases[] = {
        {workPath(q("img/logo.gif")), q("img/logo.gif")},
        {workPath(q("a.htm")), q("a.htm")},
        {workPath(q("linked/logo.gif")), q("img/logo.gif")}, // the folder as it really is
        {QDir(work.path()).absoluteFilePath(q("../x.htm")), q("../x.htm")},
        {std::nullopt, QString()},
    };
    for (const Case &c : cases) {
        prepare(QString(), 0);
        dialogs.fileAnswers.enqueue(c.chosen);
        trigger(q("mnuFile"));
        EXPECT_EQ(adapter().text(), c.expected);
        EXPECT_EQ(QDir::currentPath(), base);
    }
    ASSERT_FALSE(dialogs.fileRequests.isEmpty());
    EXPECT_EQ(dialogs.fileRequests.first().mode, FileDialogRequest::Mode::Open);
    EXPECT_EQ(dialogs.fileRequests.first().directory, base);
    // The document dialog as File > Open shows it, title included.
    EXPECT_EQ(dialogs.fileRequests.first().title, q("ファイルを開く"));
    EXPECT_EQ(dialogs.fileRequests.first().filters, DocumentFilters::nameFilters());
}

} // namespace
