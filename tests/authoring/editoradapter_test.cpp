// The editing pane as the commands see it: CR LF text without a phantom line end, selections
// of any characters, and positions that land where the text says.
#include "authoring/editoradapter.h"

#include <QTextCursor>
#include <QTextEdit>

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

TEST(EditorAdapter, WholeTextHasCrLfAndNoTrailingLineEnd)
{
    QTextEdit pane;
    EditorAdapter editor(pane);
    for (const QString &text : {QString(), q("a"), q("a\r\n"), q("\r\n\r\n"), q("一\r\n") + kEmoji + q("\r\n三")}) {
        editor.setText(text);
        EXPECT_EQ(editor.text(), text);
    }
}

TEST(EditorAdapter, SelectionAndCaretUseDocumentPositions)
{
    QTextEdit pane;
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

TEST(EditorAdapter, SoftLineBreaksReadAsLineEnds)
{
    QTextEdit pane;
    EditorAdapter editor(pane);
    pane.textCursor().insertText(q("a") + QChar(0x2028) + q("b"));
    pane.selectAll();
    EXPECT_EQ(editor.selectedText(), q("a\r\nb"));
    EXPECT_EQ(editor.text(), q("a\r\nb"));
}

TEST(EditorAdapter, ReplacementIsOneUndoStepAndKeepsTheHistory)
{
    QTextEdit pane;
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
