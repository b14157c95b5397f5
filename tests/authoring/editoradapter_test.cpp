// The editor as the commands see it, in the source view and the rich-text pane alike: CR LF
// text without a phantom line end, selections of any characters, and positions that land where
// the text says.
#include "authoring/editoradapter.h"

#include "authoring/editorstack.h"

#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QWidget>

#include <gtest/gtest.h>

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

class EditorAdapterTest : public testing::TestWithParam<EditorKind>
{
protected:
    void SetUp() override { pane.clearAs(GetParam()); }

    EditorStack pane;
};

INSTANTIATE_TEST_SUITE_P(BothViews,
                         EditorAdapterTest,
                         testing::Values(EditorKind::Source, EditorKind::RichText),
                         [](const testing::TestParamInfo<EditorKind> &info) {
                             return info.param == EditorKind::Source ? "SourceView" : "RichTextPane";
                         });

TEST_P(EditorAdapterTest, WholeTextHasCrLfAndNoTrailingLineEnd)
{
    EditorAdapter editor(pane);
    for (const QString &text : {QString(), q("a"), q("a\r\n"), q("\r\n\r\n"), q("一\r\n") + kEmoji + q("\r\n三")}) {
        editor.setText(text);
        EXPECT_EQ(editor.text(), text);
    }
}

TEST_P(EditorAdapterTest, SelectionAndCaretUseDocumentPositions)
{
    EditorAdapter editor(pane);
    const QString text = q("ab\r\n") + kEmoji + q("全\r\nz");
    editor.setText(text);
    editor.setSelection(1, 6); // "b", CR LF, the emoji (two units), "全"
    EXPECT_EQ(editor.selectedText(), q("b\r\n") + kEmoji + q("全"));
    EXPECT_EQ(editor.caretPosition(), 7);
    editor.setCaret(text.size());
    EXPECT_EQ(editor.caretPosition(), text.size());
    EXPECT_FALSE(editor.hasSelection());
}

TEST_P(EditorAdapterTest, SoftLineBreaksReadAsLineEnds)
{
    EditorAdapter editor(pane);
    pane.textCursor().insertText(q("a") + QChar(0x2028) + q("b"));
    pane.selectAll();
    EXPECT_EQ(editor.selectedText(), q("a\r\nb"));
    EXPECT_EQ(editor.text(), q("a\r\nb"));
}

TEST_P(EditorAdapterTest, ReplacementIsOneUndoStepAndKeepsTheHistory)
{
    EditorAdapter editor(pane);
    editor.setText(q("xyz"));
    editor.setModified(false);
    pane.textCursor().insertText(q("typed"));
    editor.setSelection(6, 1); // the "y" after what was typed at the start
    editor.replaceSelection(q("1\r\n2"));
    EXPECT_EQ(editor.text(), q("typedx1\r\n2z"));
    EXPECT_EQ(editor.caretPosition(), 10);
    EXPECT_FALSE(editor.hasSelection());
    EXPECT_TRUE(editor.isModified());

    pane.undo();
    EXPECT_EQ(editor.text(), q("typedxyz"));
    EXPECT_TRUE(editor.isModified());
    pane.undo();
    EXPECT_EQ(editor.text(), q("xyz"));
    EXPECT_FALSE(editor.isModified());
    pane.redo();
    pane.redo();
    EXPECT_EQ(editor.text(), q("typedx1\r\n2z"));
    EXPECT_TRUE(editor.isModified());
}

} // namespace

namespace {

// New, Open and Save As move a document between the views; nothing of it may stay behind.
TEST_P(EditorAdapterTest, ChangingTheKindMovesTextFormatsCaretAndModifiedFlag)
{
    EditorAdapter editor(pane);
    const QString text = q("<p>太字\r\n") + kEmoji + q("</p>");
    editor.setText(text);
    editor.setSelection(3, 2);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    pane.mergeCurrentCharFormat(bold);
    editor.setModified(true);
    const EditorKind other = GetParam() == EditorKind::Source ? EditorKind::RichText : EditorKind::Source;

    pane.convertTo(other);

    EXPECT_EQ(pane.kind(), other);
    EXPECT_EQ(pane.view().objectName(), q("RichEdit1"));
    EXPECT_EQ(pane.findChildren<QWidget *>(q("RichEdit1")).size(), 1) << "only the view in use has the name";
    EXPECT_EQ(editor.text(), text);
    EXPECT_EQ(editor.selectedText(), q("太字"));
    EXPECT_EQ(pane.textCursor().charFormat().fontWeight(), QFont::Bold);
    EXPECT_TRUE(editor.isModified());
    EXPECT_FALSE(pane.document()->isUndoAvailable()) << "the move itself is no edit to undo";
}

} // namespace
