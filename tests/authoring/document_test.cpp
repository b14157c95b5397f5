// The open page's model over the source view's text: what counts as a change of the page (a
// revision), what the modified flag follows, and which aspect each notification names.
#include "workspace/document.h"

#include "authoring/editorpane.h"
#include "authoring/editorstack.h"
#include "authoring/htmlhighlighter.h"
#include "authoring/sourceview.h"

#include <QApplication>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Aspect = Document::Aspect;

struct Fixture
{
    Document document;
    EditorStack editor{*document.text()};

    SourceView &view() { return editor.sourceView(); }
    void type(const QString &text) { editor.insertPlainText(text); }
};

struct DocumentCase
{
    const char *name;
    std::function<void(Fixture &)> act;
    quint64 revisionsAdded;
    bool modifiedAfter;
    QList<Aspect> aspects;
};

void PrintTo(const DocumentCase &c, std::ostream *os)
{
    *os << c.name;
}

class DocumentTest : public ::testing::TestWithParam<DocumentCase>
{};

TEST_P(DocumentTest, CountsChangesOfThePageOnly)
{
    const DocumentCase &c = GetParam();
    Fixture f;
    f.editor.resize(400, 300);
    f.editor.show();
    f.editor.setPlainText(QStringLiteral("<p class=\"a\">text</p>\n<!-- a comment\nover lines -->\n<b>&amp;</b>"));
    f.editor.document()->setModified(false);
    QApplication::processEvents(); // the highlighter colours what shows and then the rest
    const quint64 before = f.document.revision();
    ASSERT_FALSE(f.document.isModified());
    QList<Aspect> aspects;
    QObject::connect(&f.document, &Document::changed, [&](Aspect aspect) { aspects.append(aspect); });

    c.act(f);
    QApplication::processEvents();

    EXPECT_EQ(f.document.revision() - before, c.revisionsAdded);
    EXPECT_EQ(f.document.isModified(), c.modifiedAfter);
    EXPECT_EQ(f.document.isModified(), f.editor.document()->isModified()) << "one truth for the flag";
    EXPECT_EQ(aspects, c.aspects);
}

const DocumentCase kCases[] = {
    {"a key typed", [](Fixture &f) { f.type(QStringLiteral("x")); }, 1, true, {Aspect::Revision, Aspect::Modified}},
    {"two keys",
     [](Fixture &f) {
         f.type(QStringLiteral("x"));
         f.type(QStringLiteral("y"));
     },
     2,
     true,
     {Aspect::Revision, Aspect::Modified, Aspect::Revision}},
    {"a comment opened, re-colouring every line after it",
     [](Fixture &f) {
         QTextCursor caret(f.editor.document());
         caret.insertText(QStringLiteral("<!--"));
     },
     1,
     true,
     {Aspect::Revision, Aspect::Modified}},
    {"a key undone back to the saved text",
     [](Fixture &f) {
         f.type(QStringLiteral("x"));
         f.editor.undo();
     },
     2,
     false,
     {Aspect::Revision, Aspect::Modified, Aspect::Revision, Aspect::Modified}},
    {"undone and redone",
     [](Fixture &f) {
         f.type(QStringLiteral("x"));
         f.editor.undo();
         f.editor.redo();
     },
     3,
     true,
     {Aspect::Revision, Aspect::Modified, Aspect::Revision, Aspect::Modified, Aspect::Revision, Aspect::Modified}},
    {"the highlighter re-colouring", [](Fixture &f) { f.view().highlighter()->rehighlight(); }, 0, false, {}},
    {"colours switched off and on",
     [](Fixture &f) {
         f.view().setHighlightingOn(false);
         QApplication::processEvents();
         f.view().setHighlightingOn(true);
     },
     0,
     false,
     {}},
    {"the view's font", [](Fixture &f) { f.view().setFont(QFont(QStringLiteral("Monospace"), 21)); }, 0, false, {}},
    {"the background colour", [](Fixture &f) { f.editor.setBackgroundColor(Qt::black); }, 0, false, {}},
    {"line numbers hidden", [](Fixture &f) { f.view().setLineNumbersShown(false); }, 0, false, {}},
    {"the caret moved", [](Fixture &f) { f.editor.moveCursor(QTextCursor::End); }, 0, false, {}},
    {"saved under a path",
     [](Fixture &f) { f.document.setPath(QStringLiteral("/site/page.htm")); },
     0,
     false,
     {Aspect::Path}},
    {"the same path again", [](Fixture &f) { f.document.setPath(QString()); }, 0, false, {}},
    {"written as UTF-8",
     [](Fixture &f) {
         TextFormat utf8;
         utf8.encoding = TextFormat::Encoding::Utf8;
         f.document.setFormat(utf8);
     },
     0,
     false,
     {Aspect::Format}},
    {"the read mode", [](Fixture &f) { f.document.setReadsPlainText(true); }, 0, false, {}},
    {"modified by a command, then saved",
     [](Fixture &f) {
         f.editor.document()->setModified(true);
         f.editor.document()->setModified(false);
     },
     0,
     false,
     {Aspect::Modified, Aspect::Modified}},
};

INSTANTIATE_TEST_SUITE_P(Changes, DocumentTest, ::testing::ValuesIn(kCases));

// The page's text is the document's, whichever view shows it: a view of the other kind taking
// it over lays it out anew, which is no change of the page, and keeps every character and format.
TEST(DocumentText, StaysTheSameTextWhenTheOtherViewTakesItOver)
{
    Document document;
    EditorStack editor{*document.text()};
    editor.resize(400, 300);
    editor.show();
    editor.insertPlainText(QStringLiteral("<p>猫</p>"));
    QTextCursor bold(document.text());
    bold.setPosition(3);
    bold.setPosition(4, QTextCursor::KeepAnchor);
    QTextCharFormat weight;
    weight.setFontWeight(QFont::Bold);
    bold.mergeCharFormat(weight);
    QApplication::processEvents();
    const quint64 before = document.revision();
    QList<Aspect> aspects;
    QObject::connect(&document, &Document::changed, [&](Aspect aspect) { aspects.append(aspect); });

    for (const EditorKind kind : {EditorKind::RichText, EditorKind::Source, EditorKind::RichText}) {
        editor.convertTo(kind);
        QApplication::processEvents();
        EXPECT_EQ(editor.document(), document.text());
        EXPECT_EQ(editor.isRichText() ? editor.richPane().document() : editor.sourceView().document(), document.text());
        EXPECT_NE(editor.isRichText() ? editor.sourceView().document() : editor.richPane().document(), document.text())
            << "the view not in use lets go of the page";
    }
    EXPECT_EQ(document.revision(), before);
    EXPECT_TRUE(aspects.isEmpty());
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(document.text()->toPlainText(), QStringLiteral("<p>猫</p>"));
    QTextCursor probe(document.text());
    probe.setPosition(4);
    EXPECT_EQ(probe.charFormat().fontWeight(), QFont::Bold);

    editor.insertPlainText(QStringLiteral("x"));
    EXPECT_EQ(document.revision(), before + 1);
}

} // namespace
