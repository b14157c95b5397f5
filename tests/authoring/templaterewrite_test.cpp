// The template menus and the two rewrites of the selection, through their real menu actions:
// where a head template lands (and when it is refused), that caret templates replace the
// selection, and the questions and results of タグ消去 and 半角カナを全角カナに.
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "authoring/pageskeleton.h"
#include "support/mainwindowfixture.h"

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

QString q(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

const QString kStyleBlock =
    q("\r\n<STYLE type=\"text/css\">\r\n <!--\r\n  /* ここにスタイル定義を記述する */\r\n -->\r\n</STYLE>\r\n");
const QString kStyleLink = q("\r\n<LINK rel=stylesheet href=\"QZ.css\" type=\"text/css\">\r\n");
const QString kScriptBlock = q("\r\n<SCRIPT LANGUAGE=\"JavaScript\">\r\n<!--\r\n//-->\r\n</SCRIPT>\r\n");
const QString kExternalScript =
    q("\r\n<SCRIPT LANGUAGE=\"JavaScript\" SRC=\"QZ.js\">\r\n<!--\r\n//-->\r\n</SCRIPT>\r\n");
const QString kMissingHead = q("まず、メニューから\r\n\r\n[ファイル]－[基本形＜初期化＞]を選択してください");
const QString kEmoji = q("\xF0\x9F\x98\x80");

class TemplateRewriteTest : public MainWindowFixture
{
protected:
    EditorAdapter adapter() const { return EditorAdapter(*window->view().editor); }

    void prepare(const QString &text, int start, int length = 0)
    {
        EditorAdapter editor = adapter();
        editor.setText(text);
        editor.setSelection(start, length);
    }

    // The one plain notice the last command showed.
    void expectNotice(const QString &text)
    {
        ASSERT_EQ(dialogs.messages.size(), 1);
        const MessageBoxRequest &box = dialogs.messages.first();
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.title, UserDialogs::programTitle());
        EXPECT_EQ(box.buttons, QList<DialogButton>{DialogButton::Ok});
        dialogs.messages.clear();
    }
};

TEST_F(TemplateRewriteTest, StyleBlockAfterThePageSkeletonPutsTheHeadEndOnALineOfItsOwn)
{
    trigger(q("HTML1"));
    trigger(q("N36"));
    const QString skeleton = PageSkeleton::text();
    const qsizetype headEnd = skeleton.indexOf(q("</head>"));
    const QString expected = skeleton.left(headEnd) + kStyleBlock + skeleton.mid(headEnd);
    EXPECT_EQ(adapter().text(), expected);
    EXPECT_TRUE(expected.contains(q("<head><title>&lt;タイトルになります&gt;</title>\r\n<STYLE")));
    EXPECT_TRUE(expected.contains(q("</STYLE>\r\n</head>\r\n<body")));
    EXPECT_EQ(adapter().caretPosition(), headEnd + kStyleBlock.size());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(TemplateRewriteTest, HeadTemplatesGoInTheOrderTheyAreChosenAndDropTheSelection)
{
    const QString page = q("<html><head><title>題名</title></head><body>選択</body></html>");
    prepare(page, int(page.indexOf(q("選択"))), 2);
    trigger(q("N36"));
    trigger(q("mnuStyle"));
    trigger(q("JAVA1"));
    trigger(q("SRC1"));
    const qsizetype headEnd = page.indexOf(q("</head>"));
    EXPECT_EQ(adapter().text(),
              page.left(headEnd) + kStyleBlock + kStyleLink + kScriptBlock + kExternalScript + page.mid(headEnd));
    EXPECT_FALSE(adapter().hasSelection());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// Only the exact lower-case end tag counts; without it nothing is inserted and the caret stays.
TEST_F(TemplateRewriteTest, HeadTemplatesWithoutTheHeadEndShowTheMessage)
{
    const QString pages[] = {q("<HTML><HEAD></HEAD><BODY></BODY></HTML>"),
                             q("no head at all"),
                             QString(),
                             q("</head >"),
                             q("<head></Head>")};
    for (const QString &page : pages) {
        for (const char *item : {"JAVA1", "SRC1", "N36", "mnuStyle"}) {
            SCOPED_TRACE(item);
            prepare(page, int(page.size()) / 2, 1);
            dialogs.messageAnswers.enqueue(DialogButton::Ok);
            trigger(q(item));
            EXPECT_EQ(adapter().text(), page);
            expectNotice(kMissingHead);
            EXPECT_EQ(adapter().caretPosition(), int(page.size()) / 2 + (page.isEmpty() ? 0 : 1));
        }
    }
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(TemplateRewriteTest, CaretTemplatesReplaceTheSelectionOrGoInAtTheCaret)
{
    struct Case
    {
        const char *item;
        int length;
        QString inserted;
        QString after;
    };
    const Case cases[] = {
        {"N31", 6, q("<input type=\"text\" name=\"name\">"), q("後")},
        {"N37",
         0,
         q("<p onMouseover=\"this.style.fontWeight='bold'\" onMouseout=\"this.style.fontWeight='normal'\">QZtitle</p>"),
         q("選択した文字後")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.item);
        // The page has a head: caret templates still go where the selection is.
        prepare(q("<head></head>\r\n前選択した文字後"), 16, c.length);
        trigger(q(c.item));
        EXPECT_EQ(adapter().text(), q("<head></head>\r\n前") + c.inserted + c.after);
        EXPECT_EQ(adapter().caretPosition(), 16 + c.inserted.size());
        EXPECT_FALSE(adapter().hasSelection());
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(TemplateRewriteTest, TagRemovalRewritesTheSelection)
{
    struct Case
    {
        QString selected;
        QString result;
    };
    const Case cases[] = {
        {q("<b>abc</b>"), q("abc")},
        {q("a<br>b"), q("ab")},
        {q("x > y <i>z</i>"), q("x > y z")},
        {q("no tags\r\nhere"), q("no tags\r\nhere")},
        {q("a<unclosed b\r\nc"), q("a<unclosed b\r\nc")},
        {q("<p>𠮷") + kEmoji + q("</p>"), q("𠮷") + kEmoji},
    };
    for (const Case &c : cases) {
        prepare(q("[") + c.selected + q("]"), 1, int(c.selected.size()));
        trigger(q("mnuDelTag"));
        EXPECT_EQ(adapter().text(), q("[") + c.result + q("]")) << c.selected.toStdString();
        EXPECT_EQ(adapter().caretPosition(), 1 + c.result.size());
        EXPECT_FALSE(adapter().hasSelection());
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(TemplateRewriteTest, TagRemovalOfTagsOnlyLeavesTheSelectionAsItWas)
{
    prepare(q("x<b></b>y"), 1, 7);
    adapter().setModified(false);
    trigger(q("mnuDelTag"));
    EXPECT_EQ(adapter().text(), q("x<b></b>y"));
    EXPECT_EQ(adapter().selectedText(), q("<b></b>"));
    EXPECT_FALSE(adapter().isModified());
}

TEST_F(TemplateRewriteTest, KanaWideningWithoutASelectionAsksForOne)
{
    prepare(q("ｶﾅ"), 1);
    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    trigger(q("N27"));
    expectNotice(q("全角に変換したい文字列を範囲指定してください。"));
    EXPECT_EQ(adapter().text(), q("ｶﾅ"));
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(TemplateRewriteTest, KanaWideningAsksFirstAndOnlyYesConverts)
{
    const QString page = q("<p>𠮷") + kEmoji + q("ｶﾞｯｺｳ ﾊﾟｰﾃｨｰ 漢</p>");
    const QString wide = q("<p>𠮷") + kEmoji + q("ガッコウ パーティー 漢</p>");
    for (DialogButton answer : {DialogButton::No, DialogButton::Cancel, DialogButton::Yes}) {
        prepare(page, 0, int(page.size()));
        dialogs.messages.clear();
        dialogs.messageAnswers.enqueue(answer);
        trigger(q("N27"));
        ASSERT_EQ(dialogs.messages.size(), 1);
        const MessageBoxRequest &asked = dialogs.messages.first();
        EXPECT_EQ(asked.title, q("警告"));
        EXPECT_EQ(asked.icon, DialogIcon::Warning);
        EXPECT_EQ(asked.text, q("指定した範囲内の半角文字列を全角に変換します。\r\n\r\nよろしいですか"));
        EXPECT_EQ(asked.buttons, (QList<DialogButton>{DialogButton::Yes, DialogButton::No, DialogButton::Cancel}));
        const bool converted = answer == DialogButton::Yes;
        EXPECT_EQ(adapter().text(), converted ? wide : page);
        EXPECT_EQ(adapter().hasSelection(), !converted);
    }
    EXPECT_EQ(adapter().caretPosition(), wide.size());
    EXPECT_EQ(dialogs.unexpected, 0);
}

} // namespace
