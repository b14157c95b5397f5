// The WEB履歴 and お気に入り buttons and their window, on a fake engine: the window is handed
// to each test by the scripted dialogs, which sets its controls and presses its buttons.
#include "preview/weblistwindow.h"

#include "common/commanddispatcher.h"
#include "common/linefile.h"
#include "preview/favoriteimport.h"
#include "preview/previewarea.h"
#include "preview/previewcommands.h"
#include "preview/previewsession.h"
#include "preview/weblistcommands.h"
#include "preview/weblists.h"
#include "preview/webliststore.h"
#include "support/fakebrowserengine.h"
#include "support/scripteduserdialogs.h"
#include "workspace/document.h"

#include <QAction>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QString line(const QString &group, const QString &title, const QString &address)
{
    return WebListStore::line(group, title, address);
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QStringList kTwoDays = {
    line(QStringLiteral("2026/01/05"), QStringLiteral("A"), QStringLiteral("http://a/")),
    line(QStringLiteral("2026/01/05"), QStringLiteral("B"), QStringLiteral("http://b/")),
    line(QStringLiteral("2026/01/06"), QStringLiteral("C"), QStringLiteral("http://c/")),
};

class WebListWindowTest : public ::testing::Test
{
protected:
    using Script = std::function<void(WebListWindow &)>;

    WebListWindowTest()
    {
        qputenv("QZWEB_HOME", home.path().toLocal8Bit());
        qputenv("QZWEB_FAVORITES", favorites.path().toLocal8Bit());
        PreviewControls controls{&pane, &urlBox, &httpMode, &progressBar, [] { return QString(); }, {}};
        engine = new FakeBrowserEngine;
        preview = new PreviewCommands(dispatcher, document, session, lists, dialogs, controls, engine, &pane);
        webLists = new WebListCommands(dispatcher, lists, dialogs, *preview, mainWindow);
    }
    ~WebListWindowTest() override
    {
        qunsetenv("QZWEB_HOME");
        qunsetenv("QZWEB_FAVORITES");
    }

    // Presses WEB履歴 (Button4Click) or お気に入り (Button3Click); script gets the window.
    void open(const char *handler, const Script &script)
    {
        dialogs.dialogScripts.enqueue([script](QDialog *dialog) {
            auto *window = qobject_cast<WebListWindow *>(dialog);
            ASSERT_NE(window, nullptr);
            script(*window);
        });
        press(handler);
        EXPECT_TRUE(dialogs.dialogScripts.isEmpty()) << "the window did not open";
    }
    // Presses the button and lets the Favorites folder be read to its end.
    void press(const char *handler)
    {
        dispatcher.run(QString::fromLatin1(handler));
        ASSERT_TRUE(QTest::qWaitFor([this] { return !webLists->isImporting(); }));
    }
    static QTreeWidget *tree(WebListWindow &w) { return w.findChild<QTreeWidget *>(QStringLiteral("TreeView1")); }
    static void press(WebListWindow &w, const char *name)
    {
        w.findChild<QPushButton *>(QString::fromLatin1(name))->click();
    }
    static void trigger(WebListWindow &w, const char *name)
    {
        w.findChild<QAction *>(QString::fromLatin1(name))->trigger();
    }
    static void select(QTreeWidgetItem *item)
    {
        item->treeWidget()->clearSelection();
        item->setSelected(true);
    }
    static QStringList topTexts(WebListWindow &w)
    {
        QStringList texts;
        for (int i = 0; i < tree(w)->topLevelItemCount(); ++i)
            texts.append(tree(w)->topLevelItem(i)->text(0));
        return texts;
    }
    QString dataFile(const QString &name) const { return QDir(home.path()).filePath(name); }
    QStringList historyFile() const { return WebListStore::read(dataFile(WebListStore::kHistoryFileName)); }
    QStringList favoritesFile() const { return WebListStore::read(dataFile(WebListStore::kFavoritesFileName)); }
    void writeFavoritesFile(const QStringList &lines)
    {
        LineFile::write(dataFile(WebListStore::kFavoritesFileName), lines);
    }
    void putShortcut(const QString &relative, const QByteArray &address)
    {
        const QString path = QDir(favorites.path()).filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[InternetShortcut]\r\nURL=" + address + "\r\n");
    }
    // The page the preview pane shows, which the add commands take.
    void showPage() { engine->completeLoad(QStringLiteral("http://shown/"), QStringLiteral("Shown page")); }
    QList<MessageBoxRequest> errors() const
    {
        QList<MessageBoxRequest> found;
        for (const MessageBoxRequest &m : dialogs.messages) {
            if (m.icon == DialogIcon::Error)
                found.append(m);
        }
        return found;
    }

    QTemporaryDir home;
    QTemporaryDir favorites;
    QWidget mainWindow;
    PreviewArea pane;
    QComboBox urlBox;
    QRadioButton httpMode;
    QProgressBar progressBar;
    Document document;
    PreviewSession session;
    WebLists lists;
    ScriptedUserDialogs dialogs;
    CommandDispatcher dispatcher{dialogs, mainWindow};
    FakeBrowserEngine *engine = nullptr;
    PreviewCommands *preview = nullptr;
    WebListCommands *webLists = nullptr;
};

} // namespace

TEST_F(WebListWindowTest, EachButtonOpensTheWindowInItsMode)
{
    const struct
    {
        const char *handler;
        QString caption;
        QString label;
        bool favoriteMode;
    } modes[] = {
        {"Button4Click", QStringLiteral("WEB履歴一覧"), QStringLiteral("今までご覧になったWEBの一覧です"), false},
        {"Button3Click", QStringLiteral("お気に入り一覧"), QStringLiteral("お気に入りの一覧です"), true},
    };
    for (const auto &m : modes) {
        open(m.handler, [&](WebListWindow &w) {
            EXPECT_EQ(w.objectName(), QStringLiteral("Form4"));
            EXPECT_EQ(w.windowTitle(), m.caption);
            EXPECT_EQ(w.findChild<QLabel *>(QStringLiteral("Label1"))->text(), m.label);
            EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            EXPECT_EQ(w.parentWidget(), &mainWindow);
            EXPECT_EQ(tree(w)->indentation(), 19);
            EXPECT_EQ(w.findChild<QPushButton *>(QStringLiteral("Button1"))->text(), QStringLiteral("WEBに表示させる"));
            EXPECT_EQ(w.findChild<QPushButton *>(QStringLiteral("Button2"))->text(), QStringLiteral("閉じる"));
            const QStringList captions = {
                QStringLiteral("新しい分類を作成"), QStringLiteral("この分類の下に追加"), QStringLiteral("削除")};
            const char *names[] = {"Add1", "Add2", "Delete1"};
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(w.findChild<QAction *>(QString::fromLatin1(names[i]))->text(), captions.at(i));
        });
        EXPECT_EQ(lists.favoriteMode, m.favoriteMode);
    }
}

TEST_F(WebListWindowTest, AnEmptyHistoryShowsNothingAndClosingWritesAnEmptyFile)
{
    open("Button4Click", [&](WebListWindow &w) {
        EXPECT_EQ(tree(w)->topLevelItemCount(), 0);
        press(w, "Button1");
        EXPECT_TRUE(engine->navigations.isEmpty());
        EXPECT_NE(w.result(), QDialog::Accepted);
        press(w, "Button2");
        EXPECT_EQ(w.result(), QDialog::Accepted);
    });
    EXPECT_TRUE(QFile::exists(dataFile(WebListStore::kHistoryFileName)));
    EXPECT_TRUE(readBytes(dataFile(WebListStore::kHistoryFileName)).isEmpty());
}

TEST_F(WebListWindowTest, ThreeVisitsOnTwoDaysShowTwoCollapsedDays)
{
    lists.webHistory = kTwoDays;
    open("Button4Click", [&](WebListWindow &w) {
        ASSERT_EQ(topTexts(w), (QStringList{QStringLiteral("2026/01/05"), QStringLiteral("2026/01/06")}));
        QTreeWidgetItem *first = tree(w)->topLevelItem(0);
        EXPECT_FALSE(first->isExpanded());
        ASSERT_EQ(first->childCount(), 2);
        EXPECT_EQ(first->child(0)->text(0), QStringLiteral("A"));
        EXPECT_EQ(first->child(1)->text(0), QStringLiteral("B"));
        EXPECT_TRUE(first->child(1)->flags().testFlag(Qt::ItemIsEditable));
        EXPECT_EQ(tree(w)->topLevelItem(1)->child(0)->text(0), QStringLiteral("C"));
    });
}

TEST_F(WebListWindowTest, ShowSelectedGoesThereWithTheOnlineFlagThenWritesBack)
{
    for (const bool online : {false, true}) {
        lists.webHistory = kTwoDays;
        session.onlineFlag = online;
        engine->navigations.clear();
        open("Button4Click", [&](WebListWindow &w) {
            // A day or nothing selected: nothing happens.
            press(w, "Button1");
            select(tree(w)->topLevelItem(0));
            press(w, "Button1");
            EXPECT_TRUE(engine->navigations.isEmpty());
            EXPECT_NE(w.result(), QDialog::Accepted);

            select(tree(w)->topLevelItem(1)->child(0));
            press(w, "Button1");
            EXPECT_EQ(w.result(), QDialog::Accepted);
        });
        ASSERT_EQ(engine->navigations.size(), 1);
        EXPECT_EQ(engine->navigations.first().address, QStringLiteral("http://c/"));
        EXPECT_EQ(engine->navigations.first().offline, !online);
        EXPECT_EQ(historyFile(), kTwoDays);
    }
}

TEST_F(WebListWindowTest, ANewCategoryCancelledIsNamedNewCategoryOnlyOnce)
{
    writeFavoritesFile({line(QStringLiteral("News"), QStringLiteral("N"), QStringLiteral("http://n/"))});
    showPage();
    dialogs.inputAnswers << std::nullopt << std::nullopt;
    open("Button3Click", [&](WebListWindow &w) {
        select(tree(w)->topLevelItem(0));
        trigger(w, "Add1");
        ASSERT_EQ(topTexts(w), (QStringList{QStringLiteral("新しい分類"), QStringLiteral("News")}));
        QTreeWidgetItem *added = tree(w)->topLevelItem(0);
        ASSERT_EQ(added->childCount(), 1);
        EXPECT_EQ(added->child(0)->text(0), QStringLiteral("Shown page"));
        select(tree(w)->topLevelItem(1));
        trigger(w, "Add1");
        EXPECT_EQ(topTexts(w).count(QStringLiteral("新しい分類")), 1);
        press(w, "Button2");
    });
    EXPECT_EQ(
        dialogs.inputPrompts,
        (QStringList{QStringLiteral("新しい分類を入力してください"), QStringLiteral("新しい分類を入力してください")}));
    EXPECT_EQ(
        favoritesFile(),
        (QStringList{line(QStringLiteral("新しい分類"), QStringLiteral("Shown page"), QStringLiteral("http://shown/")),
                     line(QStringLiteral("News"), QStringLiteral("N"), QStringLiteral("http://n/"))}));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(WebListWindowTest, ADuplicateNameInOtherLetterCaseOrAnEmptyNameIsRefusedSilently)
{
    writeFavoritesFile({line(QStringLiteral("News"), QStringLiteral("N"), QStringLiteral("http://n/"))});
    showPage();
    dialogs.inputAnswers << QStringLiteral("nEWS") << QString() << QStringLiteral("Sports");
    open("Button3Click", [&](WebListWindow &w) {
        select(tree(w)->topLevelItem(0));
        for (int i = 0; i < 3; ++i)
            trigger(w, "Add1");
        EXPECT_EQ(topTexts(w), (QStringList{QStringLiteral("Sports"), QStringLiteral("News")}));
    });
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(WebListWindowTest, TheAddCommandsNeedFavoritesAPageShownAndACategorySelected)
{
    lists.webHistory = kTwoDays;
    writeFavoritesFile(kTwoDays);
    const struct
    {
        const char *name;
        const char *handler;
        bool pageShown;
        int selectChildOf; // -1: nothing selected; else the top node whose first entry is selected
        bool selectTop;
    } inert[] = {
        {"no page shown", "Button3Click", false, 0, true},
        {"history mode", "Button4Click", true, 0, true},
        {"an entry selected", "Button3Click", true, 0, false},
        {"nothing selected", "Button3Click", true, -1, false},
    };
    for (const auto &c : inert) {
        // Nothing is shown until the first page is; that page is a visit, kept out of the way.
        if (c.pageShown)
            showPage();
        lists.webHistory = kTwoDays;
        open(c.handler, [&](WebListWindow &w) {
            tree(w)->clearSelection();
            if (c.selectChildOf >= 0) {
                QTreeWidgetItem *top = tree(w)->topLevelItem(c.selectChildOf);
                select(c.selectTop ? top : top->child(0));
            }
            trigger(w, "Add1");
            trigger(w, "Add2");
            EXPECT_EQ(topTexts(w), (QStringList{QStringLiteral("2026/01/05"), QStringLiteral("2026/01/06")})) << c.name;
            EXPECT_EQ(tree(w)->topLevelItem(0)->childCount(), 2) << c.name;
        });
        EXPECT_TRUE(dialogs.inputPrompts.isEmpty()) << c.name;
    }

    // Where they apply, この分類の下に追加 appends the page shown, even twice.
    showPage();
    open("Button3Click", [&](WebListWindow &w) {
        select(tree(w)->topLevelItem(1));
        trigger(w, "Add2");
        trigger(w, "Add2");
        press(w, "Button2");
    });
    const QString shown =
        line(QStringLiteral("2026/01/06"), QStringLiteral("Shown page"), QStringLiteral("http://shown/"));
    EXPECT_EQ(favoritesFile(), kTwoDays + (QStringList{shown, shown}));
}

TEST_F(WebListWindowTest, DeletingADayAsksAndClosingRemovesItsLinesFromTheFile)
{
    lists.webHistory = kTwoDays;
    dialogs.messageAnswers << DialogButton::No << DialogButton::Cancel << DialogButton::Yes;
    open("Button4Click", [&](WebListWindow &w) {
        trigger(w, "Delete1"); // nothing selected: no question
        select(tree(w)->topLevelItem(0));
        for (int i = 0; i < 3; ++i)
            trigger(w, "Delete1");
        EXPECT_EQ(topTexts(w), QStringList{QStringLiteral("2026/01/06")});
        press(w, "Button2");
    });
    ASSERT_EQ(dialogs.messages.size(), 3);
    const MessageBoxRequest &question = dialogs.messages.first();
    EXPECT_EQ(question.title, QStringLiteral("警告"));
    EXPECT_EQ(question.text, QStringLiteral("『2026/01/05』を削除しますか"));
    EXPECT_EQ(question.icon, DialogIcon::Warning);
    EXPECT_EQ(question.buttons, (QList<DialogButton>{DialogButton::Yes, DialogButton::No, DialogButton::Cancel}));
    EXPECT_EQ(question.defaultButton, DialogButton::Cancel);
    EXPECT_EQ(historyFile(), QStringList{kTwoDays.at(2)});
    EXPECT_EQ(lists.webHistory, QStringList{kTwoDays.at(2)});
}

TEST_F(WebListWindowTest, TheCloseBoxAfterDeletionsChangesNothing)
{
    lists.webHistory = kTwoDays;
    LineFile::write(dataFile(WebListStore::kHistoryFileName), kTwoDays);
    const QByteArray before = readBytes(dataFile(WebListStore::kHistoryFileName));
    mainWindow.setGeometry(100, 80, 640, 480);
    mainWindow.show();
    dialogs.messageAnswers << DialogButton::Yes;
    open("Button4Click", [&](WebListWindow &w) {
        select(tree(w)->topLevelItem(1));
        trigger(w, "Delete1");
        w.show();
        EXPECT_LE((w.frameGeometry().center() - mainWindow.frameGeometry().center()).manhattanLength(), 4);
        // A right click opens the menu over the selection; it does not move the selection.
        QTreeWidgetItem *day = tree(w)->topLevelItem(0);
        select(day);
        day->setExpanded(true);
        const QRect other = tree(w)->visualItemRect(day->child(0));
        ASSERT_FALSE(other.isEmpty());
        QTest::mouseClick(tree(w)->viewport(), Qt::RightButton, {}, other.center());
        EXPECT_TRUE(day->isSelected());
        EXPECT_FALSE(day->child(0)->isSelected());
        w.close();
        EXPECT_EQ(w.result(), QDialog::Rejected);
    });
    EXPECT_EQ(lists.webHistory, kTwoDays);
    EXPECT_EQ(readBytes(dataFile(WebListStore::kHistoryFileName)), before);
}

TEST_F(WebListWindowTest, AnEditedTitleKeepsItsAddress)
{
    writeFavoritesFile(kTwoDays);
    open("Button3Click", [&](WebListWindow &w) {
        tree(w)->topLevelItem(0)->child(1)->setText(0, QStringLiteral("新しい \"題\", です"));
        tree(w)->topLevelItem(1)->setText(0, QStringLiteral("分類"));
        press(w, "Button2");
    });
    EXPECT_EQ(
        favoritesFile(),
        (QStringList{
            kTwoDays.at(0),
            line(QStringLiteral("2026/01/05"), QStringLiteral("新しい \"題\", です"), QStringLiteral("http://b/")),
            line(QStringLiteral("分類"), QStringLiteral("C"), QStringLiteral("http://c/"))}));
}

TEST_F(WebListWindowTest, AWriteBackThatFailsIsShownAndTheWindowStaysOpen)
{
    lists.webHistory = {kTwoDays.at(2), kTwoDays.at(0)};
    ASSERT_TRUE(QDir(home.path()).mkdir(WebListStore::kHistoryFileName));
    open("Button4Click", [&](WebListWindow &w) {
        press(w, "Button2");
        EXPECT_NE(w.result(), QDialog::Accepted);
        EXPECT_EQ(tree(w)->topLevelItemCount(), 2);
    });
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors().first().text.contains(WebListStore::kHistoryFileName));
    // The list already holds what the window rebuilt.
    EXPECT_EQ(lists.webHistory, (QStringList{kTwoDays.at(0), kTwoDays.at(2)}));
}

TEST_F(WebListWindowTest, FavoritesAreImportedUntilTheFileIsWrittenEvenEmpty)
{
    putShortcut(QStringLiteral("A.url"), "http://a/");
    putShortcut(QStringLiteral("News/B.url"), "http://b/");
    const QStringList imported = {line(QStringLiteral("Root"), QStringLiteral("A.url"), QStringLiteral("http://a/")),
                                  line(QStringLiteral("News"), QStringLiteral("B.url"), QStringLiteral("http://b/"))};
    // Discarded with the close box: nothing is written, and the next press imports again.
    for (int i = 0; i < 2; ++i) {
        open("Button3Click", [&](WebListWindow &w) {
            EXPECT_EQ(topTexts(w), (QStringList{QStringLiteral("Root"), QStringLiteral("News")}));
            w.reject();
        });
        EXPECT_EQ(lists.favoriteList, imported);
        EXPECT_FALSE(QFile::exists(dataFile(WebListStore::kFavoritesFileName)));
    }
    open("Button3Click", [&](WebListWindow &w) {
        select(tree(w)->topLevelItem(0));
        dialogs.messageAnswers.enqueue(DialogButton::Yes);
        trigger(w, "Delete1");
        select(tree(w)->topLevelItem(0));
        dialogs.messageAnswers.enqueue(DialogButton::Yes);
        trigger(w, "Delete1");
        press(w, "Button2");
    });
    EXPECT_TRUE(QFile::exists(dataFile(WebListStore::kFavoritesFileName)));
    EXPECT_TRUE(favoritesFile().isEmpty());
    // An empty favorite.ini is the user's list: the folder is not read again.
    putShortcut(QStringLiteral("C.url"), "http://c/");
    open("Button3Click", [&](WebListWindow &w) { EXPECT_EQ(tree(w)->topLevelItemCount(), 0); });
    EXPECT_TRUE(lists.favoriteList.isEmpty());
}

TEST_F(WebListWindowTest, AFavoriteWithoutAnAddressIsNotWrittenBack)
{
    writeFavoritesFile({line(QStringLiteral("News"), QStringLiteral("no address"), QString()), kTwoDays.at(0)});
    open("Button3Click", [&](WebListWindow &w) {
        EXPECT_EQ(tree(w)->topLevelItem(0)->childCount(), 1);
        press(w, "Button2");
    });
    EXPECT_EQ(favoritesFile(), QStringList{kTwoDays.at(0)});
}

TEST_F(WebListWindowTest, AnUnreadableFavoriteStopsTheCommandAndKeepsNothingOfTheImport)
{
    putShortcut(QStringLiteral("A.url"), "http://a/");
    ASSERT_TRUE(QFile::link(QDir(favorites.path()).filePath(QStringLiteral("gone")),
                            QDir(favorites.path()).filePath(QStringLiteral("B.url"))));
    press("Button3Click");
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors().first().text.contains(QStringLiteral("B.url")));
    EXPECT_TRUE(dialogs.shownDialogs.isEmpty());
    EXPECT_TRUE(lists.favoriteList.isEmpty());
    EXPECT_FALSE(QFile::exists(dataFile(WebListStore::kFavoritesFileName)));
}

TEST_F(WebListWindowTest, AFavoritesTreeBeyondTheLimitsIsTakenInPartAndTheUserIsTold)
{
    putShortcut(QStringLiteral("A.url"), "http://a/");
    putShortcut(QStringLiteral("d/").repeated(FavoriteImport::Limits{}.maxDepth + 1) + QStringLiteral("Z.url"),
                "http://z/");
    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    open("Button3Click", [&](WebListWindow &w) { EXPECT_EQ(topTexts(w), QStringList{QStringLiteral("Root")}); });
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().text, FavoriteImport::incompleteNotice());
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(WebListWindowTest, TheFavoritesFolderIsReadWhileTheMainWindowGoesOn)
{
    putShortcut(QStringLiteral("A.url"), "http://a/");
    dialogs.dialogScripts.enqueue([](QDialog *) {});
    dispatcher.run(QStringLiteral("Button3Click"));
    // The press has returned to the event loop with the reading under way.
    EXPECT_TRUE(webLists->isImporting());
    EXPECT_TRUE(dialogs.shownDialogs.isEmpty());
    // A second press meanwhile, or WEB履歴, starts nothing more.
    dispatcher.run(QStringLiteral("Button3Click"));
    dispatcher.run(QStringLiteral("Button4Click"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !webLists->isImporting(); }));
    EXPECT_EQ(dialogs.shownDialogs.size(), 1);
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(WebListWindowTest, NoFavoritesFolderGivesAnEmptyWindowWithoutAnError)
{
    qputenv("QZWEB_FAVORITES", QDir(favorites.path()).filePath(QStringLiteral("none")).toLocal8Bit());
    open("Button3Click", [&](WebListWindow &w) { EXPECT_EQ(tree(w)->topLevelItemCount(), 0); });
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(WebListWindowTest, ClosingTheProgramKeepsTheVisitsSortedAndCapped)
{
    // No visits and no file: nothing is created.
    webLists->saveHistory();
    EXPECT_FALSE(QFile::exists(dataFile(WebListStore::kHistoryFileName)));

    for (int day = 1; day <= 101; ++day) {
        const QString date = QDate(2026, 3, 1).addDays(101 - day).toString(QStringLiteral("yyyy/MM/dd"));
        lists.webHistory.append(line(date, QStringLiteral("t"), QStringLiteral("http://x/%1").arg(day)));
    }
    const QStringList recorded = lists.webHistory;
    webLists->saveHistory();
    const QStringList written = historyFile();
    ASSERT_EQ(written.size(), 100);
    EXPECT_EQ(written.first(), recorded.at(99));
    EXPECT_EQ(written.last(), recorded.first());
    EXPECT_FALSE(written.contains(recorded.last()));

    // A file that could not be read at start-up is not replaced by this run's visits.
    lists.webHistory = {kTwoDays.at(0)};
    lists.webHistoryLoadFailed = true;
    webLists->saveHistory();
    EXPECT_EQ(historyFile(), written);
}
