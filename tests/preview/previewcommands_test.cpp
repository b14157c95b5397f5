#include "preview/previewcommands.h"

#include "common/commanddispatcher.h"
#include "preview/previewarea.h"
#include "preview/previewsession.h"
#include "preview/weblists.h"
#include "support/fakebrowserengine.h"
#include "support/scripteduserdialogs.h"
#include "workspace/document.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

// The preview commands with every control they use, on a fake engine: no browser starts.
class PreviewCommandsTest : public ::testing::Test
{
protected:
    PreviewCommandsTest()
    {
        urlBox.setEditable(true);
        urlBox.setInsertPolicy(QComboBox::NoInsert); // as the main window's
        urlBox.addItems({QStringLiteral("http://www.example.com/"), QStringLiteral("http://www.example.org/")});
        fileMode.setChecked(true);
        offlineMode.setChecked(true);
        progressBar.hide();
        session.previewName = QStringLiteral("13_05_22.htm");
        // A titled document: an untitled one is previewed from a private folder instead.
        document.setPath(folder.filePath(QStringLiteral("page.htm")));
        PreviewControls controls{&pane,
                                 &urlBox,
                                 &httpMode,
                                 &progressBar,
                                 [this] { return documentText; },
                                 [this](const QString &text) { statusText = text; },
                                 &onlineMode};
        engine = new FakeBrowserEngine;
        commands = new PreviewCommands(dispatcher, document, session, lists, dialogs, controls, engine, &pane);
    }

    void run(const char *handler, int tag = 0)
    {
        ASSERT_TRUE(dispatcher.has(QString::fromLatin1(handler)));
        dispatcher.run(QString::fromLatin1(handler), tag);
    }
    // The texts of the error boxes shown so far.
    QStringList errors() const
    {
        QStringList texts;
        for (const MessageBoxRequest &request : dialogs.messages) {
            if (request.icon == DialogIcon::Error)
                texts.append(request.text);
        }
        return texts;
    }
    QStringList urlItems() const
    {
        QStringList items;
        for (int i = 0; i < urlBox.count(); ++i)
            items.append(urlBox.itemText(i));
        return items;
    }

    PreviewArea pane;
    QComboBox urlBox;
    QWidget modes;
    QRadioButton httpMode{QStringLiteral("http"), &modes};
    QRadioButton fileMode{QStringLiteral("file"), &modes};
    QWidget onlineGroup;
    QRadioButton onlineMode{QStringLiteral("ｵﾝﾗｲﾝ"), &onlineGroup};
    QRadioButton offlineMode{QStringLiteral("ｵﾌﾗｲﾝ"), &onlineGroup};
    QProgressBar progressBar;
    QString documentText;
    QString statusText;
    Document document;
    PreviewSession session;
    WebLists lists;
    ScriptedUserDialogs dialogs;
    CommandDispatcher dispatcher{dialogs, pane};
    FakeBrowserEngine *engine = nullptr;
    PreviewCommands *commands = nullptr;
    QTemporaryDir folder;
};

TEST_F(PreviewCommandsTest, BackOrForwardWithNoPageShowsANotice)
{
    run("SpeedButton1Click", PreviewCommands::kBackTag);
    run("SpeedButton1Click", PreviewCommands::kForwardTag);
    ASSERT_EQ(dialogs.messages.size(), 2);
    for (const MessageBoxRequest &request : dialogs.messages) {
        EXPECT_EQ(request.text, QStringLiteral("ページがありません"));
        EXPECT_EQ(request.icon, DialogIcon::None);
        EXPECT_EQ(request.buttons, QList<DialogButton>{DialogButton::Ok});
    }
    // Stop has nothing to refuse.
    run("SpeedButton1Click", PreviewCommands::kStopTag);
    EXPECT_EQ(engine->stopCount, 1);
    EXPECT_EQ(dialogs.messages.size(), 2);
}

TEST_F(PreviewCommandsTest, BackAndForwardMoveInTheEnginesHistory)
{
    engine->navigate(QStringLiteral("http://a.example/"));
    engine->navigate(QStringLiteral("http://b.example/"));
    run("SpeedButton1Click", PreviewCommands::kBackTag);
    EXPECT_EQ(engine->locationUrl(), QStringLiteral("http://a.example/"));
    run("SpeedButton1Click", PreviewCommands::kForwardTag);
    EXPECT_EQ(engine->locationUrl(), QStringLiteral("http://b.example/"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(PreviewCommandsTest, ProgressIsShownWhileAWebPageLoadsAndHiddenAtCompletion)
{
    emit engine->downloadBegin();
    EXPECT_TRUE(progressBar.isVisibleTo(&progressBar));
    EXPECT_FALSE(progressBar.isHidden());
    EXPECT_EQ(progressBar.value(), 0);
    emit engine->progressChange(30, 200);
    EXPECT_EQ(progressBar.maximum(), 200);
    EXPECT_EQ(progressBar.value(), 30);
    emit engine->progressChange(70, 100);
    EXPECT_EQ(progressBar.maximum(), 100);
    EXPECT_EQ(progressBar.value(), 70);
    // A negative maximum must not turn the range upside down.
    emit engine->progressChange(0, -1);
    EXPECT_EQ(progressBar.minimum(), 0);

    engine->completeLoad(QStringLiteral("http://example.net/"), QStringLiteral("Example"));
    EXPECT_TRUE(progressBar.isHidden());
    EXPECT_EQ(statusText, QStringLiteral("完了"));

    emit engine->downloadBegin();
    emit engine->navigateError();
    EXPECT_TRUE(progressBar.isHidden());
}

TEST_F(PreviewCommandsTest, ACompletedWebPageIsRecordedAndOfferedOnce)
{
    engine->completeLoad(QStringLiteral("http://example.net/"), QStringLiteral("Example"));
    emit engine->documentComplete(); // a second completion of the same page, as frames give
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
    EXPECT_EQ(lists.webHistory, QStringList{QStringLiteral("\"%1\",\"Example\",\"http://example.net/\"").arg(today)});
    EXPECT_EQ(urlItems(),
              (QStringList{QStringLiteral("http://example.net/"),
                           QStringLiteral("http://www.example.com/"),
                           QStringLiteral("http://www.example.org/")}));
    EXPECT_EQ(urlBox.currentText(), QStringLiteral("http://example.net/"));
}

TEST_F(PreviewCommandsTest, AnAddressInTheListInOtherCaseIsNotInsertedAgainButShown)
{
    engine->completeLoad(QStringLiteral("http://WWW.example.ORG/"), QStringLiteral("Org"));
    EXPECT_EQ(urlBox.count(), 2);
    EXPECT_EQ(urlBox.currentText(), QStringLiteral("http://WWW.example.ORG/"));
    EXPECT_EQ(lists.webHistory.size(), 1);
}

TEST_F(PreviewCommandsTest, ALocalPageIsNeitherRecordedNorOfferedNorReportedDone)
{
    statusText = QStringLiteral("1 行 1 列");
    urlBox.setEditText(QStringLiteral("http://typed.example/"));
    engine->completeLoad(QStringLiteral("file:///tmp/13_05_22.htm"), QStringLiteral("下書き"));
    EXPECT_TRUE(lists.webHistory.isEmpty());
    EXPECT_EQ(urlBox.count(), 2);
    EXPECT_EQ(urlBox.currentText(), QStringLiteral("http://typed.example/"));
    EXPECT_EQ(statusText, QStringLiteral("1 行 1 列"));
    EXPECT_EQ(session.lastUrl, QStringLiteral("file:///tmp/13_05_22.htm"));
    EXPECT_TRUE(progressBar.isHidden());
}

TEST_F(PreviewCommandsTest, HttpModeBrowsesTheTypedAddressUnchangedWithTheOnlineFlag)
{
    httpMode.setChecked(true);
    documentText = QStringLiteral("<html></html>");
    const QString typed = QStringLiteral(" www.Example.com/a b ");
    urlBox.setEditText(typed);
    run("Button1Click");
    run("RadioButton3Click");
    EXPECT_TRUE(session.onlineFlag);
    run("Button1Click");
    run("RadioButton4Click");
    EXPECT_FALSE(session.onlineFlag);
    run("Button1Click");
    ASSERT_EQ(engine->navigations.size(), 3);
    EXPECT_EQ(engine->navigations[0].address, typed);
    EXPECT_TRUE(engine->navigations[0].offline);
    EXPECT_FALSE(engine->navigations[1].offline);
    EXPECT_TRUE(engine->navigations[2].offline);
    // Nothing of the file mode happens.
    EXPECT_TRUE(session.previewDir.isEmpty());
}

TEST_F(PreviewCommandsTest, ARefusedAddressEndsTheCommandWithTheEnginesText)
{
    httpMode.setChecked(true);
    engine->refuseNextNavigation(QStringLiteral("アドレス x は開けません"));
    run("Button1Click");
    EXPECT_EQ(errors(), QStringList{QStringLiteral("アドレス x は開けません.")});
}

TEST_F(PreviewCommandsTest, FileModeWithAnEmptyEditorDoesNothing)
{
    session.previewDir = folder.path() + QLatin1Char('/');
    run("Button1Click");
    EXPECT_TRUE(engine->navigations.isEmpty());
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(PreviewCommandsTest, FileModeWritesTheDocumentBesideItAndShowsIt)
{
    session.previewDir = folder.path() + QLatin1Char('/');
    documentText = QStringLiteral("<title>見本</title>\r\n<p>表示</p>\r\n");
    run("Button1Click");

    const QString path = folder.filePath(QStringLiteral("13_05_22.htm"));
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    // Shift_JIS with CR LF, 表 keeping its 0x5C second byte.
    EXPECT_EQ(written.readAll(), QByteArray("<title>\x8C\xA9\x96\x7B</title>\r\n<p>\x95\x5C\x8E\xA6</p>\r\n"));
    ASSERT_EQ(engine->navigations.size(), 1);
    EXPECT_EQ(engine->navigations[0].address, QUrl::fromLocalFile(path).toString());
    EXPECT_TRUE(engine->navigations[0].address.startsWith(QStringLiteral("file:///")));
    EXPECT_TRUE(engine->offlineWrites.isEmpty());
    EXPECT_EQ(session.previewDir, folder.path() + QLatin1Char('/'));
}

TEST_F(PreviewCommandsTest, APageOfTheUsersUnderThePreviewsNameIsNeverWrittenOver)
{
    session.previewDir = folder.path() + QLatin1Char('/');
    const QString usersPage = folder.filePath(QStringLiteral("13_05_22.htm"));
    {
        QFile page(usersPage);
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        page.write("<p>the user's own page</p>");
    }
    documentText = QStringLiteral("<p>first</p>");
    run("Button1Click");
    documentText = QStringLiteral("<p>second</p>");
    run("Button1Click");

    QFile kept(usersPage);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("<p>the user's own page</p>"));
    const QString preview = folder.filePath(QStringLiteral("13_05_23.htm"));
    QFile written(preview);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("<p>second</p>")) << "its own preview is written over";
    EXPECT_EQ(session.previewName, QStringLiteral("13_05_23.htm"));
    ASSERT_EQ(engine->navigations.size(), 2);
    EXPECT_EQ(engine->navigations[1].address, QUrl::fromLocalFile(preview).toString());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(PreviewCommandsTest, FileModeWritesUtf8DocumentsAsUtf8)
{
    session.previewDir = folder.path() + QLatin1Char('/');
    TextFormat utf8;
    utf8.encoding = TextFormat::Encoding::Utf8;
    document.setFormat(utf8);
    documentText = QStringLiteral("<p>😀 ünïcode</p>");
    run("Button1Click");
    QFile written(folder.filePath(QStringLiteral("13_05_22.htm")));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), documentText.toUtf8());
}

TEST_F(PreviewCommandsTest, FileModeWithoutAPreviewFolderUsesTheCurrentFolder)
{
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    documentText = QStringLiteral("<p>x</p>");
    run("Button1Click");
    QDir::setCurrent(saved);
    EXPECT_EQ(session.previewDir, QDir(folder.path()).canonicalPath() + QLatin1Char('/'));
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("13_05_22.htm"))));
}

TEST_F(PreviewCommandsTest, APreviewThatCannotBeWrittenEndsTheCommandBeforeNavigating)
{
    session.previewDir = folder.filePath(QStringLiteral("missing/"));
    documentText = QStringLiteral("<p>x</p>");
    run("Button1Click");
    EXPECT_EQ(errors().size(), 1);
    EXPECT_TRUE(engine->navigations.isEmpty());
    EXPECT_EQ(session.previewDir, folder.filePath(QStringLiteral("missing/")));
}

TEST_F(PreviewCommandsTest, APageShiftJisCannotHoldIsPreviewedAsUtf8AndTheDocumentKeepsItsEncoding)
{
    session.previewDir = folder.path() + QLatin1Char('/');
    const QString declared = QStringLiteral("<meta charset=\"Shift_JIS\"><p>");
    for (const QString &character : {QStringLiteral("𠮷"), QStringLiteral("😀"), QStringLiteral("ㄅ")}) {
        documentText = declared + character + QStringLiteral("ｱ</p>");
        run("Button1Click");
        QFile written(folder.filePath(QStringLiteral("13_05_22.htm")));
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        // The mark comes before and above the declaration for the engine.
        EXPECT_EQ(written.readAll(), QByteArray("\xEF\xBB\xBF") + documentText.toUtf8()) << character.toStdString();
    }
    EXPECT_EQ(engine->navigations.size(), 3);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(document.format().encoding, TextFormat::Encoding::Cp932);

    // A page it can hold is still written in Shift_JIS, as it would be saved.
    documentText = declared + QStringLiteral("ｱ</p>");
    run("Button1Click");
    QFile written(folder.filePath(QStringLiteral("13_05_22.htm")));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), declared.toLatin1() + QByteArray("\xB1</p>"));
}

namespace {

// Does what an assistive technology does when the user picks the button: its own action.
void toggleByAccessibility(QAbstractButton &button)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(&button);
    ASSERT_NE(face, nullptr);
    QAccessibleActionInterface *actions = face->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    actions->doAction(QAccessibleActionInterface::toggleAction());
}

} // namespace

TEST_F(PreviewCommandsTest, TheOnlineFlagFollowsTheCheckedButtonHoweverItWasChecked)
{
    httpMode.setChecked(true);
    urlBox.setEditText(QStringLiteral("http://127.0.0.1/"));

    toggleByAccessibility(onlineMode);
    ASSERT_TRUE(onlineMode.isChecked());
    EXPECT_TRUE(session.onlineFlag);
    run("Button1Click");

    offlineMode.setChecked(true); // as the keyboard's selection change does
    EXPECT_FALSE(session.onlineFlag);
    run("Button1Click");

    // A click still runs its handler too; the flag is the same either way.
    onlineMode.click();
    EXPECT_TRUE(session.onlineFlag);
    run("Button1Click");

    ASSERT_EQ(engine->navigations.size(), 3);
    EXPECT_FALSE(engine->navigations[0].offline);
    EXPECT_TRUE(engine->navigations[1].offline);
    EXPECT_FALSE(engine->navigations[2].offline);
}

TEST_F(PreviewCommandsTest, HttpOrFileIsTheCheckedButtonHoweverItWasChecked)
{
    documentText = QStringLiteral("<p>x</p>");
    session.previewDir = folder.path() + QLatin1Char('/');
    urlBox.setEditText(QStringLiteral("http://127.0.0.1/typed"));
    toggleByAccessibility(httpMode);
    ASSERT_FALSE(fileMode.isChecked());
    run("Button1Click");
    toggleByAccessibility(fileMode);
    run("Button1Click");
    ASSERT_EQ(engine->navigations.size(), 2);
    EXPECT_EQ(engine->navigations[0].address, QStringLiteral("http://127.0.0.1/typed"));
    EXPECT_TRUE(engine->navigations[1].address.startsWith(QStringLiteral("file:///")));
}

TEST_F(PreviewCommandsTest, EnterInTheAddressBoxGoesThereInHttpModeOnly)
{
    documentText = QStringLiteral("<p>x</p>");
    session.previewDir = folder.path() + QLatin1Char('/');
    QLineEdit *edit = urlBox.lineEdit();
    ASSERT_NE(edit, nullptr);

    // In file mode the address box is only an address: Enter renders nothing.
    edit->setText(QStringLiteral("http://127.0.0.1/first"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(engine->navigations.isEmpty());
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("13_05_22.htm"))));

    httpMode.setChecked(true);
    edit->setText(QStringLiteral(" 127.0.0.1/typed "));
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_EQ(engine->navigations.size(), 2);
    for (const FakeBrowserEngine::Navigation &navigation : engine->navigations) {
        EXPECT_EQ(navigation.address, QStringLiteral(" 127.0.0.1/typed "));
        EXPECT_TRUE(navigation.offline);
    }
    // Enter adds nothing to the list: only completed pages go there.
    EXPECT_EQ(urlBox.count(), 2);

    // A refusal is shown as 反映's is.
    engine->refuseNextNavigation(QStringLiteral("アドレス x は開けません"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(errors(), QStringList{QStringLiteral("アドレス x は開けません.")});
}
