// ページチェック through the real window: the command at the end of 編集, its rows in the panel,
// and a chosen row putting the caret where the fault is.
#include "pagecheck/pagecheckpanel.h"

#include "app/pagecheckcommands.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "authoring/pageskeleton.h"
#include "support/mainwindowfixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

namespace {

class PageCheckPanelTest : public MainWindowFixture
{
protected:
    // A click and then the double-click event, as the platform delivers a double click.
    static void doubleClick(QWidget &widget, QPoint at)
    {
        QTest::mouseClick(&widget, Qt::LeftButton, {}, at);
        QMouseEvent event(QEvent::MouseButtonDblClick, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(&widget, &event);
        QTest::mouseRelease(&widget, Qt::LeftButton, {}, at);
    }

    QTreeWidget &checkNow(const QString &text)
    {
        window->page().editor().setPlainText(text);
        auto *commands = window->findChild<PageCheckCommands *>();
        EXPECT_NE(commands, nullptr);
        QSignalSpy checked(commands, &PageCheckCommands::checked);
        trigger(QStringLiteral("mnuPageCheck"));
        EXPECT_TRUE(checked.wait(10000));
        return *control<QTreeWidget>(QStringLiteral("PageCheckList"));
    }
};

// サイトチェック follows the page check's items.
TEST_F(PageCheckPanelTest, SitsAtTheEndOfTheEditMenuWithItsAutomaticSwitchOff)
{
    const QList<QAction *> items = control<QMenu>(QStringLiteral("Edit1"))->actions();
    ASSERT_GE(items.size(), 4);
    EXPECT_TRUE(items.at(items.size() - 4)->isSeparator());
    EXPECT_EQ(items.at(items.size() - 3)->objectName(), QStringLiteral("mnuPageCheck"));
    EXPECT_EQ(items.at(items.size() - 3)->shortcut(), QKeySequence(Qt::Key_F7));
    const QAction *automatic = items.at(items.size() - 2);
    EXPECT_EQ(automatic->text(), QStringLiteral("チェックも自動で"));
    EXPECT_TRUE(automatic->isCheckable());
    EXPECT_FALSE(automatic->isChecked());
    EXPECT_EQ(items.last()->objectName(), QStringLiteral("mnuSiteCheck"));
    EXPECT_EQ(items.last()->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F7));
    EXPECT_FALSE(control<QDockWidget>(QStringLiteral("PageCheckDock"))->isVisible());
}

TEST_F(PageCheckPanelTest, ShowsRowsAndPutsTheCaretOnTheChosenOne)
{
    window->show();
    const QString page =
        QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"Shift_JIS\"><title>t</title><meta "
                       "name=\"viewport\" content=\"width=device-width\"></head>\n"
                       "<body>\n<p>日本語\t<b><i>x</b></i></p>\n<p><img src=\"http://example.com/a.png\"></p>\n"
                       "</body></html>\n");
    QTreeWidget &list = checkNow(page);
    EXPECT_TRUE(control<QDockWidget>(QStringLiteral("PageCheckDock"))->isVisible());
    ASSERT_GE(list.topLevelItemCount(), 2);
    const QTreeWidgetItem *first = list.topLevelItem(0);
    EXPECT_EQ(first->text(0), QStringLiteral("エラー"));
    EXPECT_EQ(first->text(1), QStringLiteral("4"));
    EXPECT_EQ(first->text(2), QStringLiteral("11"));
    EXPECT_EQ(first->data(1, Qt::AccessibleTextRole).toString(), QStringLiteral("4 行目"));

    // <p>, 日本語, the tab and <b> are ten characters: the row's <i> starts at the eleventh.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QCoreApplication::processEvents();
    list.scrollToItem(first);
    const QRect firstRect = list.visualItemRect(first);
    doubleClick(*list.viewport(), firstRect.center());
    QTextCursor caret = window->page().editor().textCursor();
    EXPECT_EQ(caret.blockNumber(), 3);
    EXPECT_EQ(caret.positionInBlock(), 10);

    // Enter on the image row goes to its <img>.
    const QList<QTreeWidgetItem *> imageRows = list.findItems(QStringLiteral("5"), Qt::MatchExactly, 1);
    ASSERT_EQ(imageRows.size(), 1);
    list.setCurrentItem(imageRows.first());
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Return);
    caret = window->page().editor().textCursor();
    EXPECT_EQ(caret.blockNumber(), 4);
    EXPECT_EQ(caret.positionInBlock(), 3);
}

// Once chosen, and while the panel shows, a pause in typing checks again; the choice is kept.
TEST_F(PageCheckPanelTest, ChecksAgainAfterTypingOnlyOnceChosen)
{
    window->show();
    QTreeWidget &list = checkNow(QStringLiteral("<p>x"));
    const int before = list.topLevelItemCount();
    trigger(QStringLiteral("mnuPageCheckAuto"));
    EXPECT_TRUE(action(QStringLiteral("mnuPageCheckAuto"))->isChecked());
    EXPECT_TRUE(QFile(QDir(dataHome.path()).filePath(PageCheckOptions::kFileName)).exists());

    auto *commands = window->findChild<PageCheckCommands *>();
    QSignalSpy checked(commands, &PageCheckCommands::checked);
    window->page().editor().setPlainText(QStringLiteral(
        "<!DOCTYPE html>\n<html><head><meta charset=\"Shift_JIS\"><title>t</title>"
        "<meta name=\"viewport\" content=\"width=device-width\"></head>\n<body><p>ok</p></body></html>\n"));
    ASSERT_TRUE(checked.wait(10000));
    EXPECT_NE(list.topLevelItemCount(), before);
    EXPECT_EQ(list.topLevelItem(0)->text(3), PageCheckPanel::nothingToReport());
}

// The row of a missing declaration offers the one the page will be saved with; made after more
// typing, it lands where the page is now, and 元に戻す takes back that edit alone.
TEST_F(PageCheckPanelTest, InsertsTheMissingDeclarationAsOneUndoableEdit)
{
    window->show();
    const QString page = QString(PageSkeleton::text()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QTreeWidget &list = checkNow(page);
    auto *fix = list.findChild<QPushButton *>(QStringLiteral("PageCheckFix"));
    ASSERT_NE(fix, nullptr);
    EXPECT_EQ(fix->text(), QStringLiteral("<meta charset=\"Shift_JIS\"> を入れる"));
    EXPECT_EQ(fix->accessibleName(), fix->text());

    QTextCursor typing(window->page().editor().document());
    typing.insertText(QStringLiteral("<!-- 先頭 -->\n"));
    const QString typed = window->page().editor().toPlainText();
    auto *commands = window->findChild<PageCheckCommands *>();
    QSignalSpy checked(commands, &PageCheckCommands::checked);
    fix->click();
    ASSERT_TRUE(checked.wait(10000)); // the rows of the text as it is now, and the edit on them
    ASSERT_TRUE(checked.wait(10000)); // the rows after the edit
    EXPECT_EQ(window->page().editor().toPlainText(),
              QString(typed).replace(QStringLiteral("<head>"), QStringLiteral("<head><meta charset=\"Shift_JIS\">")));
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        EXPECT_NE(list.topLevelItem(i)->text(3).left(8), QStringLiteral("文字コードの宣言")) << i;

    window->page().editor().document()->undo();
    EXPECT_EQ(window->page().editor().toPlainText(), typed);
}

TEST_F(PageCheckPanelTest, SaysSoInOneRowWhenNothingIsWrong)
{
    QTreeWidget &list = checkNow(QStringLiteral(
        "<!DOCTYPE html>\n<html><head><meta charset=\"Shift_JIS\"><title>t</title>"
        "<meta name=\"viewport\" content=\"width=device-width\"></head>\n<body><p>ok</p></body></html>\n"));
    ASSERT_EQ(list.topLevelItemCount(), 1);
    EXPECT_EQ(list.topLevelItem(0)->text(3), PageCheckPanel::nothingToReport());
}

} // namespace
