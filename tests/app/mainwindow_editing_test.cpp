// The editing services of the real main window: the caret position in status panel 0, Find and
// Find next, undo, select all and the clipboard commands with their enabling.
#include "app/caretdisplay.h"
#include "app/finddialog.h"
#include "app/findrules.h"
#include "app/statusbar.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "support/mainwindowfixture.h"
#include "workspace/panetext.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <functional>

namespace {

const QString kNotFound = QStringLiteral("検索文字は見つかりません。");

class MainWindowEditing : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        window->activateWindow();
        editor()->setFocus();
    }

    EditorStack *editor() const { return window->view().editor; }
    // The view the user types in: keys go there.
    QAbstractScrollArea *activeView() const { return &editor()->view(); }
    EditorAdapter adapter() const { return EditorAdapter(*editor()); }
    QString caretPanel() const { return window->view().statusBar->panelText(0); }
    FindDialog *findDialog() const { return control<FindDialog>(QStringLiteral("FindDialog1")); }
    QLineEdit *findText() const { return findDialog()->findChild<QLineEdit *>(QStringLiteral("FindText")); }
    void pressF3() { QTest::keyClick(activeView(), Qt::Key_F3); }
    // Typed as the keyboard types it, one character a key (QTest's own typing knows only ASCII).
    void typeKeys(const QString &text)
    {
        for (const QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QCoreApplication::sendEvent(activeView(), &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QCoreApplication::sendEvent(activeView(), &release);
        }
    }

    // The selection as (start, length) in the editor's CR LF text.
    std::pair<int, int> selection() const
    {
        const QTextCursor c = editor()->textCursor();
        const QString pane = editor()->document()->toRawText();
        const int start = PaneText::toDocumentPosition(pane, c.selectionStart());
        return {start, PaneText::toDocumentPosition(pane, c.selectionEnd()) - start};
    }

    void search(const QString &text)
    {
        trigger(QStringLiteral("Find1"));
        findText()->setText(text);
    }
};

// --- Caret position --------------------------------------------------------------------------

TEST_F(MainWindowEditing, CaretPanelCountsShiftJisBytesAndFollowsTheCaret)
{
    EXPECT_TRUE(caretPanel().isEmpty()) << "empty until the first update, not " << caretPanel().toStdString();
    typeKeys(QStringLiteral("a"));
    EXPECT_EQ(caretPanel(), QStringLiteral("1行 2桁"));

    dialogs.messageAnswers.enqueue(DialogButton::Ok); // the typed "a" is unsaved
    trigger(QStringLiteral("New1"));
    dialogs.messages.clear();
    typeKeys(QStringLiteral("あ"));
    EXPECT_EQ(caretPanel(), QStringLiteral("1行 3桁"));

    adapter().replaceSelection(QStringLiteral("表\r\nab"));
    EXPECT_EQ(caretPanel(), QStringLiteral("2行 3桁"));
    // Every key that moves the caret is followed at once.
    QTest::keyClick(activeView(), Qt::Key_Home);
    EXPECT_EQ(caretPanel(), QStringLiteral("2行 1桁"));
    QTest::keyClick(activeView(), Qt::Key_PageUp);
    EXPECT_EQ(caretPanel(), QStringLiteral("1行 1桁"));
    QTest::keyClick(activeView(), Qt::Key_End);
    EXPECT_EQ(caretPanel(), QStringLiteral("1行 5桁"));
    QTest::keyClick(activeView(), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(caretPanel(), QStringLiteral("1行 3桁")) << "a selection counts from its start";
    QTest::keyClick(activeView(), Qt::Key_Left, Qt::ControlModifier);
    QTest::keyClick(activeView(), Qt::Key_Down);
    EXPECT_EQ(caretPanel(), QStringLiteral("2行 1桁"));

    // A press of the mouse at the very start of the text.
    const QPoint start = editor()->cursorRect(QTextCursor(editor()->document())).center();
    QTest::mouseClick(activeView()->viewport(), Qt::LeftButton, {}, start);
    EXPECT_EQ(caretPanel(), QStringLiteral("1行 1桁"));
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(MainWindowEditing, CaretLinesAreParagraphsHoweverTheyWrap)
{
    // One paragraph long enough to wrap several times, then a second one.
    adapter().replaceSelection(QString(400, QLatin1Char('x')) + QStringLiteral("\r\nyz"));
    const QTextBlock first = editor()->document()->begin();
    editor()->document()->documentLayout()->blockBoundingRect(first);
    ASSERT_GT(first.layout()->lineCount(), 1);
    EXPECT_EQ(caretPanel(), QStringLiteral("2行 3桁"));

    // On the second displayed line the column still counts from the paragraph's start.
    const QTextLine second = first.layout()->lineAt(1);
    QTextCursor c(editor()->document());
    c.setPosition(second.textStart() + 5);
    editor()->setTextCursor(c);
    QTest::keyClick(activeView(), Qt::Key_Right);
    EXPECT_EQ(caretPanel(), QStringLiteral("1行 %1桁").arg(second.textStart() + 7));
}

// Japanese typed through an input method, in either view: the preedit shows at the caret without
// entering the text, the commit enters it as one undo step, and the panel counts its bytes.
TEST_F(MainWindowEditing, InputMethodPreeditShowsAndItsCommitIsOneStep)
{
    for (const EditorKind kind : {EditorKind::Source, EditorKind::RichText}) {
        SCOPED_TRACE(kind == EditorKind::Source ? "source view" : "rich-text pane");
        editor()->clearAs(kind);
        adapter().setText(QStringLiteral("ab"));
        adapter().setCaret(1);

        const quint64 revision = window->document().revision();
        QInputMethodEvent preedit(QStringLiteral("にほん"), {});
        QCoreApplication::sendEvent(activeView(), &preedit);
        EXPECT_EQ(editor()->textCursor().block().layout()->preeditAreaText(), QStringLiteral("にほん"));
        EXPECT_EQ(adapter().text(), QStringLiteral("ab")) << "the preedit is not text yet";
        EXPECT_EQ(window->document().revision(), revision) << "nor an edit of the page";

        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("日本"));
        QCoreApplication::sendEvent(activeView(), &commit);
        EXPECT_TRUE(editor()->textCursor().block().layout()->preeditAreaText().isEmpty());
        EXPECT_EQ(adapter().text(), QStringLiteral("a日本b"));
        EXPECT_EQ(caretPanel(), QStringLiteral("1行 6桁"));

        editor()->undo();
        EXPECT_EQ(adapter().text(), QStringLiteral("ab"));
        EXPECT_FALSE(editor()->document()->isUndoAvailable()) << "the commit was one step";

        // A composition begun over a selection takes the selected text away: that is an edit.
        adapter().setSelection(0, 1);
        const quint64 beforeSelection = window->document().revision();
        QCoreApplication::sendEvent(activeView(), &preedit);
        EXPECT_EQ(adapter().text(), QStringLiteral("b"));
        EXPECT_GT(window->document().revision(), beforeSelection);
        QInputMethodEvent cancel;
        QCoreApplication::sendEvent(activeView(), &cancel);
    }
}

// Whatever command moves the caret, the panel shows where it is now: what a fresh look at the
// caret shows, and after the page skeleton not the start of the text.
TEST_F(MainWindowEditing, EveryCommandThatMovesTheCaretUpdatesThePanel)
{
    const QString page = workPath(QStringLiteral("page.htm"));
    QFile file(page);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<p>x</p>\r\n<p>y</p>\r\n");
    file.close();
    const struct
    {
        const char *name;
        std::function<void()> command;
    } steps[] = {
        {"page skeleton", [this] { trigger(QStringLiteral("HTML1")); }},
        {"an insertion", [this] { trigger(QStringLiteral("mnuKaigyo")); }},
        {"find next",
         [this] {
             search(QStringLiteral("title"));
             pressF3();
         }},
        {"undo", [this] { trigger(QStringLiteral("Undo1")); }},
        {"open",
         [&] {
             dialogs.messageAnswers.enqueue(DialogButton::Ok); // the skeleton is unsaved
             dialogs.fileAnswers.enqueue(page);
             trigger(QStringLiteral("Open"));
         }},
    };
    QString fresh;
    for (const auto &step : steps) {
        SCOPED_TRACE(step.name);
        const QString before = caretPanel();
        step.command();
        CaretDisplay probe(window->page(), [&fresh](const QString &text) { fresh = text; });
        probe.update();
        EXPECT_EQ(caretPanel(), fresh);
        EXPECT_NE(caretPanel(), before) << "the step moved the caret";
    }
    EXPECT_EQ(dialogs.unexpected, 0);
}

// --- Find and Find next ----------------------------------------------------------------------

TEST_F(MainWindowEditing, FindNextWalksFromTheTopThroughEveryMatchThenSaysSoOnce)
{
    adapter().setText(QStringLiteral("xx abc\r\nABC aBc"));
    adapter().setCaret(9); // in the middle, nothing selected
    search(QStringLiteral("abc"));
    EXPECT_TRUE(findDialog()->isVisible());

    const std::pair<int, int> expected[] = {{3, 3}, {8, 3}, {12, 3}};
    for (const auto &match : expected) {
        pressF3();
        EXPECT_EQ(selection(), match);
        EXPECT_EQ(window->focusWidget(), activeView());
    }
    EXPECT_EQ(adapter().selectedText(), QStringLiteral("aBc"));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    pressF3();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().text, kNotFound);
    EXPECT_EQ(dialogs.messages.first().buttons, QList<DialogButton>{DialogButton::Ok});
    EXPECT_EQ(selection(), std::make_pair(12, 3)) << "the selection stays; no wrap-around";
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(MainWindowEditing, FindPreloadsTheSelectionAndItsButtonFindsToo)
{
    adapter().setText(QStringLiteral("one Two\r\nthree two"));
    adapter().setSelection(4, 3);
    trigger(QStringLiteral("Find1"));
    EXPECT_EQ(findText()->text(), QStringLiteral("Two"));
    EXPECT_EQ(findDialog()->pos(), FindRules::dialogPosition(window->frameGeometry(), editor()->width()));
    EXPECT_FALSE(findDialog()->isModal());

    auto *button = findDialog()->findChild<QPushButton *>(QStringLiteral("FindNextButton"));
    ASSERT_NE(button, nullptr);
    button->click();
    EXPECT_EQ(adapter().selectedText(), QStringLiteral("two"));
    EXPECT_EQ(selection().first, 15) << "found after the selection, not at it";

    // The text stays for the run, also after the dialog was closed; nothing selected opens empty.
    findDialog()->reject();
    adapter().setCaret(0);
    pressF3();
    EXPECT_EQ(selection().first, 4);
    adapter().setCaret(0);
    trigger(QStringLiteral("Find1"));
    EXPECT_TRUE(findText()->text().isEmpty());
    EXPECT_FALSE(button->isEnabled()) << "nothing to look for";
}

TEST_F(MainWindowEditing, FindNextWithNothingToLookForAsksForIt)
{
    adapter().setText(QStringLiteral("text"));
    pressF3();
    EXPECT_TRUE(findDialog()->isVisible());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(editor()->textCursor().hasSelection());
}

// --- Undo, select all, clipboard -------------------------------------------------------------

TEST_F(MainWindowEditing, CutAndCopyNeedASelectionPasteNeedsClipboardText)
{
    const QStringList selectionItems = {
        QStringLiteral("Copy3"), QStringLiteral("cut3"), QStringLiteral("Copy2"), QStringLiteral("Cut2")};
    const QStringList pasteItems = {QStringLiteral("Paste3"), QStringLiteral("Paste2")};
    auto enabled = [this](const QStringList &names, bool expected) {
        for (const QString &name : names)
            EXPECT_EQ(action(name)->isEnabled(), expected) << name.toStdString();
    };
    QGuiApplication::clipboard()->clear();
    adapter().setText(QStringLiteral("alpha beta"));
    enabled(selectionItems, false);
    enabled(pasteItems, false);

    adapter().setSelection(0, 5);
    enabled(selectionItems, true);
    trigger(QStringLiteral("Copy3"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("alpha"));
    enabled(pasteItems, true);

    trigger(QStringLiteral("Cut2"));
    EXPECT_EQ(adapter().text(), QStringLiteral(" beta"));
    enabled(selectionItems, false);

    adapter().setCaret(5);
    trigger(QStringLiteral("Paste2"));
    EXPECT_EQ(adapter().text(), QStringLiteral(" betaalpha"));

    trigger(QStringLiteral("Undo1"));
    EXPECT_EQ(adapter().text(), QStringLiteral(" beta"));
    trigger(QStringLiteral("SelectAll1"));
    EXPECT_EQ(adapter().selectedText(), QStringLiteral(" beta"));
    enabled(selectionItems, true);
}

TEST_F(MainWindowEditing, ClipboardCommandsWorkOnTheFocusedAddressBox)
{
    adapter().setText(QStringLiteral("editor text"));
    QLineEdit *address = control<QComboBox>(QStringLiteral("cmbURL"))->lineEdit();
    address->setFocus();
    address->setText(QStringLiteral("http://www.example.com/"));
    address->setSelection(0, 4);
    ASSERT_TRUE(address->hasFocus());
    EXPECT_TRUE(action(QStringLiteral("Copy3"))->isEnabled());

    trigger(QStringLiteral("Copy3"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("http"));
    EXPECT_EQ(adapter().text(), QStringLiteral("editor text"));
    address->deselect();
    EXPECT_FALSE(action(QStringLiteral("Copy3"))->isEnabled());
}

} // namespace
