// 置換 through the real window: Ctrl+H opens the dialog with the selection to look for, 置換 goes
// from match to match and round from the top, すべて置換 is one undo step, a wrong expression is
// told while it is typed, and the dialog works on the page in front after a switch of tabs.
#include "app/replacedialog.h"

#include "app/pagetabs.h"
#include "app/statusbar.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "support/fakebrowserengine.h"
#include "support/mainwindowfixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class ReplaceDialogTest : public MainWindowFixture
{
protected:
    BrowserEngine *makePreviewEngine() override { return new FakeBrowserEngine; }
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        window->activateWindow();
        window->view().editor->setFocus();
    }

    EditorAdapter adapter() const { return EditorAdapter(*window->view().editor); }
    ReplaceDialog *dialog() const { return control<ReplaceDialog>(QStringLiteral("ReplaceDialog")); }
    template<typename T>
    T *child(const char *name) const
    {
        return dialog()->findChild<T *>(QString::fromLatin1(name));
    }
    void press(const char *button) const { child<QPushButton>(button)->click(); }
    void lookFor(const QString &text, const QString &with) const
    {
        child<QLineEdit>("ReplaceFindEdit")->setText(text);
        child<QLineEdit>("ReplaceWithEdit")->setText(with);
    }
    QString status() const { return window->view().statusBar->panelText(0); }
};

TEST_F(ReplaceDialogTest, ReplacesOneByOneAllInOneStepAndOnThePageInFront)
{
    adapter().setText(QStringLiteral("Cat cat CAT\r\nconcat"));
    adapter().setSelection(4, 3);
    QTest::keySequence(&window->view().editor->view(), QKeySequence(QStringLiteral("Ctrl+H")));
    ASSERT_NE(dialog(), nullptr);
    ASSERT_TRUE(dialog()->isVisible());
    EXPECT_FALSE(dialog()->isModal());
    EXPECT_EQ(child<QLineEdit>("ReplaceFindEdit")->text(), QStringLiteral("cat"));

    // The selection is a match: replaced, and the next one is selected, round from the top at the end.
    child<QLineEdit>("ReplaceWithEdit")->setText(QStringLiteral("dog"));
    press("ReplaceOne");
    EXPECT_EQ(adapter().text(), QStringLiteral("Cat dog CAT\r\nconcat"));
    EXPECT_EQ(adapter().selectedText(), QStringLiteral("CAT"));
    press("ReplaceOne");
    EXPECT_EQ(adapter().text(), QStringLiteral("Cat dog dog\r\nconcat"));
    EXPECT_EQ(adapter().caretPosition(), 19) << "the cat in concat";
    press("ReplaceOne");
    EXPECT_EQ(adapter().text(), QStringLiteral("Cat dog dog\r\ncondog"));
    EXPECT_EQ(adapter().selectedText(), QStringLiteral("Cat"));
    EXPECT_EQ(status(), QStringLiteral("文書の先頭から検索しました"));

    // Enter is 次を検索, from the selection on.
    lookFor(QStringLiteral("dog"), QStringLiteral("子犬"));
    QTest::keyClick(child<QLineEdit>("ReplaceWithEdit"), Qt::Key_Return);
    EXPECT_EQ(adapter().selectedText(), QStringLiteral("dog"));
    EXPECT_EQ(adapter().caretPosition(), 7);

    child<QCheckBox>("ReplaceWholeWord")->setChecked(true);
    press("ReplaceAll");
    EXPECT_EQ(adapter().text(), QStringLiteral("Cat 子犬 子犬\r\ncondog"));
    EXPECT_EQ(status(), QStringLiteral("2 件置換しました"));
    trigger(QStringLiteral("Undo1"));
    EXPECT_EQ(adapter().text(), QStringLiteral("Cat dog dog\r\ncondog")) << "one step takes them all back";
    lookFor(QStringLiteral("bird"), QString());
    press("ReplaceAll");
    EXPECT_EQ(status(), QStringLiteral("見つかりませんでした"));

    // Told while typing, and again at a button, never in a box.
    child<QCheckBox>("ReplaceRegex")->setChecked(true);
    lookFor(QStringLiteral("(d)og"), QStringLiteral("$1ig"));
    child<QLineEdit>("ReplaceFindEdit")->setText(QStringLiteral("(dog"));
    const QString wrong = QStringLiteral("正規表現の 5 文字目に誤りがあります: ");
    EXPECT_TRUE(child<QLabel>("ReplaceMessage")->text().startsWith(wrong));
    press("ReplaceAll");
    EXPECT_TRUE(status().startsWith(wrong)) << status().toStdString();
    EXPECT_EQ(adapter().text(), QStringLiteral("Cat dog dog\r\ncondog"));

    trigger(QStringLiteral("mnuNewTab"));
    adapter().setText(QStringLiteral("dog dogs dog"));
    child<QLineEdit>("ReplaceFindEdit")->setText(QStringLiteral("(d)og"));
    press("ReplaceAll");
    EXPECT_EQ(adapter().text(), QStringLiteral("dig dogs dig"));
    control<PageTabs>(QStringLiteral("PageTabs"))->setCurrentIndex(0);
    EXPECT_EQ(adapter().text(), QStringLiteral("Cat dog dog\r\ncondog")) << "the page left behind";

    QTest::keyClick(dialog(), Qt::Key_Escape);
    EXPECT_FALSE(dialog()->isVisible());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.unexpected, 0);
}

} // namespace
