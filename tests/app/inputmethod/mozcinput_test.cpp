// Japanese typed through a real input method (Mozc under fcitx5, started by run_with_mozc.py)
// into each kind of text field the program has: romaji keys pressed through the X server, the
// conversion chosen with Space and Enter, and what the field, the page and the caret panel made
// of it read back. One table of fields, each check run on every one.
#include "app/finddialog.h"
#include "app/replacedialog.h"
#include "app/statusbar.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "authoring/sourceview.h"
#include "inputmethodwatch.h"
#include "support/fakebrowserengine.h"
#include "support/mainwindowfixture.h"
#include "transfer/transferwindow.h"
#include "xdotool.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <functional>
#include <string>

namespace {

// Long enough for Mozc's server to load its dictionary at the first conversion on a machine busy
// with other work; every wait ends as soon as what it waits for is there.
constexpr int kWaitMs = 20000;
// How far the candidate window may sit from the caret's left edge and bottom: the theme's border
// and rounding; a line-number gutter's width is several times this.
constexpr int kPlacementSlack = 6;

class MozcInput;

struct Field
{
    const char *name;
    QString start; // the field's text before typing
    int caret;     // where typing starts in it
    // The caret panel after 日本語 went in; empty for fields the panel does not follow.
    QString panelAfterCommit;
    // Shows the field with its text and caret, and returns the widget keys go to.
    std::function<QWidget *(MozcInput &)> open;
};

void PrintTo(const Field &field, std::ostream *out)
{
    *out << field.name;
}

// What is wrong with how the line shows the word being composed; empty when it keeps the input
// method's marking (its underline, or the highlight of the part being converted) and no format
// of the line (the highlighter's colours) reaches into it from outside, colouring or splitting it.
std::string compositionFault(const QTextBlock &block)
{
    const QTextLayout &layout = *block.layout();
    const int at = layout.preeditAreaPosition();
    const int end = at + int(layout.preeditAreaText().size());
    if (end == at)
        return "nothing is composed";
    bool marked = false;
    for (const QTextLayout::FormatRange &range : layout.formats()) {
        if (range.start >= end || range.start + range.length <= at)
            continue;
        if (range.start < at || range.start + range.length > end)
            return "a format of the line from " + std::to_string(range.start) + " to "
                + std::to_string(range.start + range.length) + " reaches into the composition";
        marked = true;
    }
    return marked ? std::string() : "the composition lost the input method's marking";
}

class MozcInput : public MainWindowFixture, public ::testing::WithParamInterface<Field>
{
public:
    using MainWindowFixture::control;
    using MainWindowFixture::trigger;

    EditorStack *editor() const { return window->view().editor; }
    QString caretPanel() const { return window->view().statusBar->panelText(0); }

    QWidget *openEditor(EditorKind kind)
    {
        editor()->clearAs(kind);
        EditorAdapter adapter(*editor());
        adapter.setText(GetParam().start);
        adapter.setCaret(GetParam().caret);
        editor()->document()->setModified(false);
        return &editor()->view();
    }

    QWidget *openLine(QLineEdit *edit)
    {
        edit->window()->show();
        edit->setText(GetParam().start);
        edit->setCursorPosition(GetParam().caret);
        return edit;
    }

protected:
    // The preview plays no part in typing; a browser engine would only load the machine.
    BrowserEngine *makePreviewEngine() override { return new FakeBrowserEngine; }

    void SetUp() override
    {
        MainWindowFixture::SetUp();
        if (HasFatalFailure())
            return;
        field = GetParam().open(*this);
        ASSERT_NE(field, nullptr);
        watch = new InputMethodWatch(*field);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(field->window()));
        field->window()->activateWindow();
        field->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == field; }, kWaitMs))
            << "the field never got the keyboard";
        ASSERT_TRUE(inputMethodReady()) << "Mozc never composed in the field";
    }

    QLineEdit *line() const { return qobject_cast<QLineEdit *>(field); }
    bool isEditor() const { return line() == nullptr; }

    QString text() const { return line() ? line()->text() : EditorAdapter(*editor()).text(); }
    void restart()
    {
        if (line()) {
            line()->setText(GetParam().start);
            line()->setCursorPosition(GetParam().caret);
        } else {
            EditorAdapter(*editor()).setText(GetParam().start);
            EditorAdapter(*editor()).setCaret(GetParam().caret);
        }
    }
    void undo()
    {
        if (line())
            line()->undo();
        else
            editor()->undo();
    }
    int undoSteps() const
    {
        if (line())
            return line()->isUndoAvailable() ? 1 : 0;
        return editor()->document()->availableUndoSteps();
    }
    // Where the caret is on the screen, as the view draws it.
    QRect caretOnScreen() const
    {
        if (line()) {
            const QRect rect = line()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
            return {line()->mapToGlobal(rect.topLeft()), rect.size()};
        }
        const QRect rect = editor()->cursorRect(editor()->textCursor());
        return {editor()->view().viewport()->mapToGlobal(rect.topLeft()), rect.size()};
    }
    QString withTyped(const QString &typed) const { return QString(GetParam().start).insert(GetParam().caret, typed); }

    ::testing::AssertionResult awaitPreedit(const QString &preedit) const
    {
        if (QTest::qWaitFor([&] { return watch->preedit() == preedit; }, kWaitMs))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
            << "composing \"" << watch->preedit().toStdString() << "\", not \"" << preedit.toStdString()
            << "\"; the text is \"" << text().toStdString() << "\"";
    }

    // The input method takes a field's keys only once its connection for that window is up:
    // one romaji key is pressed until it comes back composed rather than typed as it is.
    bool inputMethodReady()
    {
        for (int attempt = 0; attempt < 10; ++attempt) {
            if (!XdoTool::type(QStringLiteral("n")))
                return false;
            // Neither within the time: the key went nowhere yet, and it is pressed again.
            (void)QTest::qWaitFor([&] { return !watch->preedit().isEmpty() || text() != GetParam().start; }, 5000);
            if (watch->preedit() == QStringLiteral("ｎ")) {
                if (!XdoTool::keys({QStringLiteral("BackSpace")}) || !awaitPreedit(QString()))
                    return false;
                if (text() == GetParam().start)
                    return true;
            } else if (!watch->preedit().isEmpty()) {
                // A key that came late joined the one before it: the composition is dropped.
                if (!XdoTool::keys({QStringLiteral("Escape"), QStringLiteral("Escape")}) || !awaitPreedit(QString()))
                    return false;
            }
            restart();
        }
        return false;
    }

    void TearDown() override
    {
        // A check that failed in the middle of a word leaves Mozc composing it; the next window
        // starts from nothing.
        if (watch && !watch->preedit().isEmpty()) {
            (void)XdoTool::keys({QStringLiteral("Escape"), QStringLiteral("Escape"), QStringLiteral("Escape")});
            (void)QTest::qWaitFor([&] { return watch->preedit().isEmpty(); }, kWaitMs);
        }
        MainWindowFixture::TearDown();
    }

    QWidget *field = nullptr;
    InputMethodWatch *watch = nullptr;
};

// What a commit of 日本語 leaves: the text as typed, in one undo step, counted by the caret panel.
TEST_P(MozcInput, ConvertedWordArrivesAsOneUndoStep)
{
    const int stepsBefore = undoSteps();
    ASSERT_TRUE(XdoTool::type(QStringLiteral("nihongo")));
    ASSERT_TRUE(awaitPreedit(QStringLiteral("にほんご")));
    ASSERT_TRUE(XdoTool::keys({QStringLiteral("space")}));
    ASSERT_TRUE(awaitPreedit(QStringLiteral("日本語")));
    ASSERT_TRUE(XdoTool::keys({QStringLiteral("Return")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return text() == withTyped(QStringLiteral("日本語")); }, kWaitMs))
        << text().toStdString();
    EXPECT_TRUE(watch->preedit().isEmpty());
    EXPECT_EQ(watch->commits(), 1);
    if (!GetParam().panelAfterCommit.isEmpty()) {
        EXPECT_EQ(caretPanel(), GetParam().panelAfterCommit);
    }

    EXPECT_EQ(undoSteps(), isEditor() ? stepsBefore + 1 : 1);
    undo();
    EXPECT_EQ(text(), GetParam().start) << "one undo takes the whole commit back";
}

// While Mozc composes, nothing of the page changed: no revision (which is what the preview's
// refresh and the recovery copy follow), no modified flag, no caret panel move.
TEST_P(MozcInput, CompositionIsNotAnEditUntilCommitted)
{
    const quint64 revision = window->document().revision();
    const QString panel = caretPanel();
    ASSERT_TRUE(XdoTool::type(QStringLiteral("nihongo")));
    ASSERT_TRUE(awaitPreedit(QStringLiteral("にほんご")));
    ASSERT_TRUE(XdoTool::keys({QStringLiteral("space")}));
    ASSERT_TRUE(awaitPreedit(QStringLiteral("日本語")));

    EXPECT_EQ(text(), GetParam().start);
    EXPECT_EQ(watch->commits(), 0);
    if (isEditor()) {
        EXPECT_EQ(compositionFault(editor()->textCursor().block()), "");
        EXPECT_EQ(window->document().revision(), revision);
        EXPECT_FALSE(editor()->document()->isModified());
        EXPECT_EQ(caretPanel(), panel);
    } else {
        EXPECT_FALSE(line()->isUndoAvailable());
    }

    ASSERT_TRUE(XdoTool::keys({QStringLiteral("Escape"), QStringLiteral("Escape")}));
    ASSERT_TRUE(awaitPreedit(QString()));
    EXPECT_EQ(text(), GetParam().start) << "a cancelled composition leaves nothing";
}

// Backspace takes back the last kana of the composition, not a character of the text.
TEST_P(MozcInput, BackspaceEditsTheComposition)
{
    ASSERT_TRUE(XdoTool::type(QStringLiteral("nihongo")));
    ASSERT_TRUE(awaitPreedit(QStringLiteral("にほんご")));
    ASSERT_TRUE(XdoTool::keys({QStringLiteral("BackSpace")}));
    ASSERT_TRUE(awaitPreedit(QStringLiteral("にほん")));
    EXPECT_EQ(text(), GetParam().start);
    ASSERT_TRUE(XdoTool::keys({QStringLiteral("Return")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return text() == withTyped(QStringLiteral("にほん")); }, kWaitMs))
        << text().toStdString();
}

// The candidate list opens under the caret: with the line numbers on, not a gutter's width left.
TEST_P(MozcInput, CandidateWindowOpensAtTheCaret)
{
    if (isEditor() && !editor()->isRichText()) {
        ASSERT_GT(editor()->sourceView().gutterWidth(), 4 * kPlacementSlack) << "line numbers are on";
    }
    const QRect caret = caretOnScreen();
    ASSERT_TRUE(XdoTool::type(QStringLiteral("nihongo")));
    ASSERT_TRUE(awaitPreedit(QStringLiteral("にほんご")));
    // The first Space converts; the second opens the list of candidates.
    ASSERT_TRUE(XdoTool::keys({QStringLiteral("space"), QStringLiteral("space")}));
    std::optional<QRect> candidates;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (candidates = XdoTool::candidateWindow()).has_value(); }, kWaitMs))
        << "no candidate window showed";
    EXPECT_NEAR(candidates->left(), caret.left(), kPlacementSlack)
        << "caret at " << caret.left() << "," << caret.bottom() << "; candidates at " << candidates->left() << ","
        << candidates->top();
    EXPECT_NEAR(candidates->top(), caret.bottom(), kPlacementSlack);
    ASSERT_TRUE(XdoTool::keys({QStringLiteral("Escape"), QStringLiteral("Escape"), QStringLiteral("Escape")}));
    ASSERT_TRUE(awaitPreedit(QString()));
}

const Field kFields[] = {
    // Inside an attribute value of a tag, where the highlighter colours every character.
    {"SourceView",
     QStringLiteral("<p title=\"\">x</p>"),
     10,
     QStringLiteral("1行 17桁"),
     [](MozcInput &test) { return test.openEditor(EditorKind::Source); }},
    {"RichTextPane",
     QStringLiteral("ab"),
     1,
     QStringLiteral("1行 8桁"),
     [](MozcInput &test) { return test.openEditor(EditorKind::RichText); }},
    {"FindText",
     QStringLiteral("ab"),
     1,
     QString(),
     [](MozcInput &test) {
         test.trigger(QStringLiteral("Find1"));
         return test.openLine(test.control<FindDialog>(QStringLiteral("FindDialog1"))
                                  ->findChild<QLineEdit *>(QStringLiteral("FindText")));
     }},
    {"ReplacementText",
     QStringLiteral("ab"),
     1,
     QString(),
     [](MozcInput &test) {
         test.trigger(QStringLiteral("mnuReplace"));
         return test.openLine(test.control<ReplaceDialog>(QStringLiteral("ReplaceDialog"))
                                  ->findChild<QLineEdit *>(QStringLiteral("ReplaceWithEdit")));
     }},
    {"TransferHost",
     QStringLiteral("ab"),
     1,
     QString(),
     [](MozcInput &test) {
         return test.openLine(
             test.control<TransferWindow>(QStringLiteral("Ftp1"))->findChild<QLineEdit *>(QStringLiteral("Edit2")));
     }},
};

INSTANTIATE_TEST_SUITE_P(EveryField,
                         MozcInput,
                         ::testing::ValuesIn(kFields),
                         [](const ::testing::TestParamInfo<Field> &info) { return std::string(info.param.name); });

} // namespace
