// Pages in tabs through the real window: three files open into three tabs, and the caption,
// the caret panel, the status bar's format, the preview and the editor named RichEdit1 follow a
// switch; each page keeps its own text, undo and caret. Closing a tab asks about unsaved
// changes (each answer), and closing the window asks once, with the list, for every modified page.
#include "app/pagetabs.h"

#include "app/diskchangecheck.h"
#include "app/statusbar.h"
#include "app/unsavedpagesdialog.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "authoring/sourceview.h"
#include "support/fakebrowserengine.h"
#include "support/mainwindowfixture.h"
#include "workspace/document.h"
#include "workspace/documentregistry.h"

#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

namespace {

enum CloseChoice {
    kSave,
    kDontSave,
    kCancel,
};

class PageTabsTest : public MainWindowFixture
{
protected:
    BrowserEngine *makePreviewEngine() override
    {
        engine = new FakeBrowserEngine;
        return engine;
    }
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        for (const char *name : {"a.htm", "b.htm", "c.htm"}) {
            const QString path = workPath(QString::fromLatin1(name));
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("<p>") + name + "</p>\r\n<p>2</p>");
            file.close();
            pages.append(path);
            dialogs.fileAnswers.enqueue(path);
            trigger(QStringLiteral("Open"));
        }
    }

    PageTabs *tabs() const { return control<PageTabs>(QStringLiteral("PageTabs")); }
    EditorAdapter adapter() const { return EditorAdapter(*window->view().editor); }
    QString caretPanel() const { return window->view().statusBar->panelText(0); }
    void show(int index) { tabs()->setCurrentIndex(index); }
    void type(const QString &text) { adapter().replaceSelection(text); }

    QStringList pages;
    FakeBrowserEngine *engine = nullptr;
};

TEST_F(PageTabsTest, EachFileHasItsTabAndTheWindowFollowsTheOneInFront)
{
    ASSERT_EQ(tabs()->count(), 3);
    EXPECT_TRUE(tabs()->tabBar()->isVisible());
    EXPECT_EQ(tabs()->tabText(0), QStringLiteral("a.htm"));
    EXPECT_EQ(tabs()->tabToolTip(2), pages.at(2));
    EXPECT_EQ(tabs()->currentIndex(), 2) << "the file opened last is in front";
    // Every page is set up as the first one was: the view switches reach them all.
    trigger(QStringLiteral("mnuLineNumber"));
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(tabs()->editorOf(tabs()->documentAt(i)).sourceView().lineNumbersShown()) << i;

    // Two pages edited, each keeping its own text, caret and undo.
    show(0);
    adapter().setCaret(3);
    type(QStringLiteral("A"));
    show(1);
    adapter().setSelection(0, 0);
    type(QStringLiteral("\r\nB"));
    EXPECT_EQ(tabs()->tabText(0), QStringLiteral("● a.htm"));
    EXPECT_EQ(tabs()->tabText(1), QStringLiteral("● b.htm"));
    EXPECT_EQ(tabs()->tabText(2), QStringLiteral("c.htm"));

    engine->navigations.clear();
    show(0);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("QZWeb [%1]").arg(pages.at(0)));
    EXPECT_EQ(caretPanel(), QStringLiteral("1行 5桁")) << "the caret stayed after the A typed";
    EXPECT_EQ(adapter().text(), QStringLiteral("<p>Aa.htm</p>\r\n<p>2</p>"));
    ASSERT_FALSE(engine->navigations.isEmpty()) << "the preview shows the page in front";
    EXPECT_TRUE(engine->navigations.last().address.startsWith(QStringLiteral("file://")));
    // Whatever finds the editor by its name finds the one in front.
    EXPECT_EQ(window->findChildren<QPlainTextEdit *>(QStringLiteral("RichEdit1")).size(), 1);
    EXPECT_EQ(control<QPlainTextEdit>(QStringLiteral("RichEdit1"))->document(), window->view().editor->document());

    window->view().editor->undo();
    EXPECT_EQ(adapter().text(), QStringLiteral("<p>a.htm</p>\r\n<p>2</p>"));
    show(1);
    EXPECT_EQ(adapter().text(), QStringLiteral("\r\nB<p>b.htm</p>\r\n<p>2</p>")) << "its own undo history";
    EXPECT_EQ(caretPanel(), QStringLiteral("2行 2桁"));
    EXPECT_EQ(window->documents().current()->path(), pages.at(1));

    // Opening a file that is open already only brings its tab to the front.
    dialogs.fileAnswers.enqueue(pages.at(2));
    trigger(QStringLiteral("Open"));
    EXPECT_EQ(tabs()->count(), 3);
    EXPECT_EQ(tabs()->currentIndex(), 2);
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(PageTabsTest, ClosingAModifiedTabAsksAndEachAnswerDoesWhatItSays)
{
    for (const int choice : {kCancel, kDontSave, kSave}) {
        SCOPED_TRACE(choice);
        const int before = tabs()->count();
        const QString path = window->document().path();
        type(QStringLiteral("x"));
        dialogs.choiceRequests.clear();
        dialogs.choiceAnswers.enqueue({choice, false});

        trigger(QStringLiteral("mnuCloseTab"));

        ASSERT_EQ(dialogs.choiceRequests.size(), 1);
        const ChoiceRequest &asked = dialogs.choiceRequests.first();
        EXPECT_EQ(asked.choices, (QStringList{"保存", "保存しない", "キャンセル"}));
        EXPECT_EQ(asked.defaultChoice, kCancel) << "a stray Enter keeps the page";
        EXPECT_EQ(asked.escapeChoice, kCancel);
        EXPECT_TRUE(asked.text.contains(path));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll().startsWith("x"), choice == kSave) << "saved only when asked to";
        EXPECT_EQ(tabs()->count(), choice == kCancel ? before : before - 1);
        if (choice == kCancel)
            adapter().setModified(false);
        EXPECT_EQ(window->documents().find(path) != nullptr, choice == kCancel);
    }
    // The last page closed leaves a blank one to write in.
    trigger(QStringLiteral("mnuCloseTab"));
    ASSERT_EQ(tabs()->count(), 1);
    EXPECT_TRUE(window->document().isUntitled());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("QZWeb"));
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(PageTabsTest, ClosingTheWindowAsksOnceForEveryModifiedPage)
{
    show(0);
    type(QStringLiteral("A"));
    show(2);
    type(QStringLiteral("C"));
    struct Round
    {
        const char *button;
        bool uncheckFirst;
        bool closes;
    };
    // キャンセル keeps the window; 保存 then saves the ticked pages only and closes it.
    for (const Round &round : {Round{"CancelButton", false, false}, Round{"SaveButton", true, true}}) {
        SCOPED_TRACE(round.button);
        QStringList listed;
        QString defaultButton;
        dialogs.dialogScripts.enqueue([&](QDialog *dialog) {
            auto *list = dialog->findChild<QListWidget *>(QStringLiteral("UnsavedPagesList"));
            for (int i = 0; i < list->count(); ++i)
                listed.append(list->item(i)->text());
            if (round.uncheckFirst)
                list->item(0)->setCheckState(Qt::Unchecked);
            for (auto *button : dialog->findChildren<QPushButton *>()) {
                if (button->isDefault())
                    defaultButton = button->objectName();
            }
            dialog->findChild<QPushButton *>(QString::fromLatin1(round.button))->click();
        });
        QSignalSpy closed(window.get(), &MainWindow::closed);

        window->close();

        EXPECT_EQ(listed, (QStringList{pages.at(0), pages.at(2)})) << "the modified pages, in tab order";
        EXPECT_EQ(defaultButton, QStringLiteral("CancelButton"));
        EXPECT_EQ(closed.count(), round.closes ? 1 : 0);
        if (round.closes) {
            QFile a(pages.at(0));
            QFile c(pages.at(2));
            ASSERT_TRUE(a.open(QIODevice::ReadOnly) && c.open(QIODevice::ReadOnly));
            EXPECT_FALSE(a.readAll().contains('A')) << "unticked, so not saved";
            EXPECT_TRUE(c.readAll().startsWith("C<p>c.htm</p>")) << "ticked and saved";
            break;
        }
    }
    EXPECT_EQ(dialogs.unexpected, 0);
}

// Another program writes a page's file: back in the window, an unchanged page is read again
// with its caret kept; a changed one asks, and このまま keeps it until the file changes again.
TEST_F(PageTabsTest, AFileChangedOnDiskIsNoticedWhenTheWindowComesBack)
{
    const auto writeOnDisk = [](const QString &path, const QByteArray &bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    };
    const auto comeBack = [&] {
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(window.get(), &activate);
    };
    adapter().setCaret(4);
    writeOnDisk(pages.at(2), "<p>new text from elsewhere</p>");
    comeBack();
    EXPECT_TRUE(dialogs.choiceRequests.isEmpty()) << "nothing unsaved: read again silently";
    EXPECT_EQ(adapter().text(), QStringLiteral("<p>new text from elsewhere</p>"));
    EXPECT_FALSE(adapter().isModified());
    EXPECT_EQ(adapter().caretPosition(), 4);
    comeBack();
    EXPECT_EQ(adapter().text(), QStringLiteral("<p>new text from elsewhere</p>")) << "read once per change";

    show(0);
    type(QStringLiteral("mine "));
    for (const int answer : {DiskChangeCheck::kKeep, DiskChangeCheck::kReload}) {
        SCOPED_TRACE(answer);
        writeOnDisk(pages.at(0), answer == DiskChangeCheck::kKeep ? "<p>theirs</p>" : "<p>theirs again</p>");
        dialogs.choiceRequests.clear();
        dialogs.choiceAnswers.enqueue({answer, false});
        show(1);
        show(0); // the page comes to the front again
        ASSERT_EQ(dialogs.choiceRequests.size(), 1);
        EXPECT_EQ(dialogs.choiceRequests.first().choices, (QStringList{"再読み込み", "このまま"}));
        EXPECT_EQ(dialogs.choiceRequests.first().defaultChoice, DiskChangeCheck::kKeep);
        if (answer == DiskChangeCheck::kKeep) {
            EXPECT_TRUE(adapter().text().startsWith(QStringLiteral("mine ")));
            EXPECT_TRUE(adapter().isModified());
            comeBack();
            EXPECT_EQ(dialogs.choiceRequests.size(), 1) << "asked once per change on disk";
        } else {
            EXPECT_EQ(adapter().text(), QStringLiteral("<p>theirs again</p>"));
            EXPECT_FALSE(adapter().isModified());
        }
    }
    EXPECT_EQ(dialogs.unexpected, 0);
}

// The tabs open at the end come back at the next start, each with its caret, the one in front
// in front, the others read when first shown; a page whose file went meanwhile is left out and
// named once.
TEST_F(PageTabsTest, TheNextStartOpensTheSameTabsAgain)
{
    show(1);
    adapter().setCaret(5);
    trigger(QStringLiteral("mnuNewTab"));
    show(0);
    window->close();
    ASSERT_TRUE(QFile::remove(pages.at(2)));

    createWindows();
    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    window->restoreSession();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << "the notice waits for the window";
    QCoreApplication::processEvents();

    ASSERT_EQ(tabs()->count(), 2) << "the untitled page and the file that went are left out";
    EXPECT_EQ(tabs()->tabToolTip(0), pages.at(0));
    EXPECT_EQ(tabs()->tabToolTip(1), pages.at(1));
    EXPECT_EQ(tabs()->currentIndex(), 0);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("QZWeb [%1]").arg(pages.at(0)));
    EXPECT_TRUE(tabs()->documentAt(1).isUnread()) << "read only when it comes to the front";
    show(1);
    EXPECT_FALSE(tabs()->documentAt(1).isUnread());
    EXPECT_EQ(adapter().text(), QStringLiteral("<p>b.htm</p>\r\n<p>2</p>"));
    EXPECT_EQ(adapter().caretPosition(), 5);
    EXPECT_FALSE(adapter().isModified());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("QZWeb [%1]").arg(pages.at(1)));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages.first().text.contains(pages.at(2)));
    EXPECT_EQ(dialogs.unexpected, 0);
}

} // namespace
