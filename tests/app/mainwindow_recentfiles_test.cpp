// The recent-file slots of the File menu, the history editor, the question before unsaved work is
// replaced, and a list file that cannot be written at close, through the real main window.
#include "app/historyeditor.h"
#include "app/mainmenu.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "common/linefile.h"
#include "support/mainwindowfixture.h"
#include "workspace/document.h"
#include "workspace/documentregistry.h"

#include <QAction>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <functional>
#include <sys/stat.h>

namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class MainWindowRecentFiles : public MainWindowFixture
{
protected:
    QString dataFile(const QString &name) const { return QDir(dataHome.path()).filePath(name); }
    EditorAdapter adapter() const { return EditorAdapter(*window->view().editor); }

    QString document(const QString &name, const QByteArray &bytes = "page")
    {
        const QString path = workPath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    void open(const QString &path)
    {
        dialogs.fileAnswers.enqueue(path);
        trigger(QStringLiteral("Open"));
    }
    void saveAs(const QString &path)
    {
        dialogs.fileAnswers.enqueue(path);
        trigger(QStringLiteral("SaveAs1"));
    }
    QStringList slotCaptions() const
    {
        QStringList captions;
        for (int i = 0; i < MainMenu::kRecentSlotCount; ++i)
            captions.append(action(MainMenu::recentSlotName(i))->text());
        return captions;
    }
    // Starts the program again over a recent-file list of these lines.
    void restartWith(const QStringList &lines)
    {
        window.reset();
        LineFile::write(dataFile(QStringLiteral("QZWEB.ini")), lines);
        createWindows();
    }
    // Runs 履歴編集 with the script pressing the history editor's buttons.
    void editHistory(std::function<void(HistoryEditor *)> script)
    {
        dialogs.dialogScripts.enqueue([script](QDialog *dialog) {
            auto *editor = qobject_cast<HistoryEditor *>(dialog);
            ASSERT_NE(editor, nullptr);
            script(editor);
        });
        trigger(QStringLiteral("N25"));
    }
    static void press(QDialog *dialog, const char *button)
    {
        dialog->findChild<QPushButton *>(QString::fromLatin1(button))->click();
    }
    static QListWidget *list(QDialog *dialog) { return dialog->findChild<QListWidget *>(QStringLiteral("ListBox1")); }
};

TEST_F(MainWindowRecentFiles, OpensAndSaveAsFillTheSlotsNewestFirstWithoutMovingOldOnes)
{
    QStringList opened;
    for (int i = 1; i <= 8; ++i) {
        opened.prepend(document(QStringLiteral("p%1.htm").arg(i)));
        open(opened.first());
    }
    EXPECT_EQ(slotCaptions(), opened.mid(0, 7)) << "the first of eight has dropped out";

    open(opened.at(4));
    EXPECT_EQ(slotCaptions(), opened.mid(0, 7)) << "already in slot 5, it stays there";

    const QString savedAs = workPath(QStringLiteral("saved.htm"));
    saveAs(savedAs);
    EXPECT_EQ(slotCaptions().first(), savedAs);

    // Letter case makes another file, and another entry.
    const QString lower = document(QStringLiteral("case.htm"));
    const QString upper = document(QStringLiteral("CASE.HTM"));
    open(lower);
    open(upper);
    EXPECT_EQ(slotCaptions().mid(0, 3), (QStringList{upper, lower, savedAs}));
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(MainWindowRecentFiles, ClickingASlotOpensItsFileAndAnAmpersandIsShownAsWritten)
{
    const QString first = document(QStringLiteral("R&D/a.htm"), "<p>a</p>");
    const QString second = document(QStringLiteral("b.htm"), "<p>b</p>");
    open(first);
    open(second);
    QAction *older = action(QStringLiteral("mnuFavorit1"));
    EXPECT_EQ(older->iconText(), first) << "no access key taken from the path";

    older->trigger();
    EXPECT_EQ(adapter().text(), QStringLiteral("<p>a</p>"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("QZWeb [%1]").arg(first));
    EXPECT_EQ(window->document().path(), first);
    EXPECT_EQ(action(QStringLiteral("mnuFavorit"))->iconText(), second);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MainWindowRecentFiles, ListFilesOfThreeAndOfTenLinesComeBackAsSevenLines)
{
    const struct
    {
        QStringList lines;
        QByteArray written;
    } cases[] = {
        {{QStringLiteral("/a.htm"), QStringLiteral("/b.htm"), QStringLiteral("/c.htm")},
         "/a.htm\r\n/b.htm\r\n/c.htm\r\n\r\n\r\n\r\n\r\n"},
        {{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n"},
    };
    for (const auto &c : cases) {
        restartWith(c.lines);
        EXPECT_EQ(slotCaptions(), (c.lines + QStringList(7, QString())).mid(0, 7));
        EXPECT_TRUE(window->close());
        EXPECT_EQ(readBytes(dataFile(QStringLiteral("QZWEB.ini"))), c.written);
    }
}

TEST_F(MainWindowRecentFiles, HistoryEditorShowsEverySlotAndDeletingAllThenUpdateEmptiesThem)
{
    restartWith({QStringLiteral("/a.htm"), QStringLiteral("/b.htm"), QStringLiteral("/c.htm")});
    HistoryEditor *created = window->findChild<HistoryEditor *>(QStringLiteral("RIREKIfrm"));
    editHistory([&](HistoryEditor *editor) {
        EXPECT_NE(editor, created) << "a fresh window each time";
        EXPECT_EQ(editor->parentWidget(), window.get());
        EXPECT_EQ(editor->windowTitle(), QStringLiteral("ファイル履歴編集"));
        EXPECT_EQ(editor->findChild<QLabel *>(QStringLiteral("Label1"))->text(),
                  QStringLiteral("不要な履歴をリストから削除します。\n"
                                 "リストからファイルを選択後、「リスト削除」ボタンを押してください"));
        EXPECT_EQ(editor->lines(), (QStringList{"/a.htm", "/b.htm", "/c.htm", "", "", "", ""}));
        EXPECT_EQ(list(editor)->selectionMode(), QAbstractItemView::ExtendedSelection);
        EXPECT_EQ(editor->findChild<QPushButton *>(QStringLiteral("Button1"))->text(), QStringLiteral("削除"));
        EXPECT_EQ(editor->findChild<QPushButton *>(QStringLiteral("Button3"))->text(), QStringLiteral("更新"));
        EXPECT_EQ(editor->findChild<QPushButton *>(QStringLiteral("Button2"))->text(), QStringLiteral("中止"));
        list(editor)->selectAll();
        press(editor, "Button1");
        EXPECT_EQ(list(editor)->count(), 0);
        press(editor, "Button3");
    });
    EXPECT_EQ(slotCaptions(), QStringList(7, QString()));
    EXPECT_TRUE(window->close());
    EXPECT_EQ(readBytes(dataFile(QStringLiteral("QZWEB.ini"))), QByteArray("\r\n").repeated(7));
}

TEST_F(MainWindowRecentFiles, HistoryEditorUpdatesWithTheRemainingLinesOnlyWhenAsked)
{
    const QStringList lines = {QStringLiteral("/a.htm"), QString(), QStringLiteral("/c.htm"), QStringLiteral("/d.htm")};
    restartWith(lines);
    const std::function<void(QDialog *)> cancels[] = {
        [](QDialog *d) { press(d, "Button2"); },
        [](QDialog *d) { QTest::keyClick(d, Qt::Key_Escape); },
        [](QDialog *d) { d->close(); },
    };
    for (const auto &cancel : cancels) {
        editHistory([&](HistoryEditor *editor) {
            list(editor)->item(0)->setSelected(true);
            list(editor)->item(2)->setSelected(true);
            press(editor, "Button1");
            EXPECT_EQ(editor->lines().mid(0, 2), (QStringList{QString(), QStringLiteral("/d.htm")}));
            cancel(editor);
        });
        EXPECT_EQ(slotCaptions().mid(0, 4), lines) << "中止, Esc and the close box change nothing";
    }

    // Deleting the blank and /c.htm: the rest move up in order, and deleting can go on.
    editHistory([&](HistoryEditor *editor) {
        list(editor)->item(1)->setSelected(true);
        press(editor, "Button1");
        list(editor)->clearSelection();
        list(editor)->item(1)->setSelected(true);
        press(editor, "Button1");
        press(editor, "Button3");
    });
    EXPECT_EQ(slotCaptions(), (QStringList{"/a.htm", "/d.htm", "", "", "", "", ""}));
    EXPECT_EQ(dialogs.unexpected, 0);
}

// New replaces the page in front: with unsaved edits it asks first.
TEST_F(MainWindowRecentFiles, UnsavedWorkIsAskedAboutBeforeNewReplacesIt)
{
    const QString page = document(QStringLiteral("page.htm"), "page");
    for (const DialogButton answer : {DialogButton::Cancel, DialogButton::Ok}) {
        open(page);
        adapter().replaceSelection(QStringLiteral("unsaved "));
        dialogs.messages.clear();
        dialogs.messageAnswers.enqueue(answer);

        trigger(QStringLiteral("New1"));

        ASSERT_EQ(dialogs.messages.size(), 1);
        const MessageBoxRequest &asked = dialogs.messages.first();
        EXPECT_EQ(asked.title, QStringLiteral("確認"));
        EXPECT_EQ(asked.icon, DialogIcon::Question);
        EXPECT_EQ(asked.buttons, (QList<DialogButton>{DialogButton::Ok, DialogButton::Cancel}));
        EXPECT_EQ(asked.defaultButton, DialogButton::Cancel) << "a stray Enter keeps the work";
        EXPECT_TRUE(asked.text.startsWith(QStringLiteral("編集後にファイルが保存されていません。")));
        if (answer == DialogButton::Ok) {
            EXPECT_EQ(adapter().text(), QString());
            EXPECT_FALSE(adapter().isModified());
        } else {
            EXPECT_EQ(adapter().text(), QStringLiteral("unsaved page"));
            EXPECT_TRUE(adapter().isModified());
            EXPECT_EQ(window->document().path(), page);
        }
        adapter().setModified(false);
    }
    EXPECT_EQ(dialogs.unexpected, 0);
}

// Open, a recent file and a drop never replace a page: the file comes in a tab of its own
// (nothing asked) and the unsaved page keeps its tab and its changes.
TEST_F(MainWindowRecentFiles, AnotherFileOpensBesideUnsavedWork)
{
    const QString other = document(QStringLiteral("other.htm"), "other");
    const QString page = document(QStringLiteral("page.htm"), "page");
    const struct
    {
        const char *name;
        std::function<void()> replace;
    } commands[] = {
        {"Open",
         [&] {
             dialogs.fileAnswers.enqueue(other);
             trigger(QStringLiteral("Open"));
         }},
        {"recent file", [&] { trigger(QStringLiteral("mnuFavorit1")); }},
        {"drop",
         [&] {
             QMimeData mime;
             mime.setUrls({QUrl::fromLocalFile(other)});
             QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(window.get(), &enter);
             QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(window.get(), &drop);
         }},
    };
    const DocumentRegistry &pages = window->documents();
    for (const auto &command : commands) {
        SCOPED_TRACE(command.name);
        // The recent files: page first, other second. Then only the page stays open.
        open(other);
        open(page);
        open(other);
        trigger(QStringLiteral("mnuCloseTab"));
        ASSERT_EQ(pages.count(), 1);
        ASSERT_EQ(window->document().path(), page);
        adapter().replaceSelection(QStringLiteral("unsaved "));
        dialogs.messages.clear();

        command.replace();

        EXPECT_TRUE(dialogs.messages.isEmpty());
        ASSERT_EQ(pages.count(), 2);
        EXPECT_EQ(window->document().path(), other);
        EXPECT_EQ(adapter().text(), QStringLiteral("other"));
        const Document *kept = pages.find(page);
        ASSERT_NE(kept, nullptr);
        EXPECT_TRUE(kept->isModified());
        EXPECT_TRUE(kept->text()->toPlainText().startsWith(QStringLiteral("unsaved "))) << "the edit is kept";
        // The page's own tab is still the one that holds it: back there, the edit is in front.
        open(page);
        EXPECT_EQ(window->document().path(), page);
        EXPECT_TRUE(adapter().isModified());
        adapter().setText(QStringLiteral("page"));
        adapter().setModified(false);
    }
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(MainWindowRecentFiles, AListFileThatCannotBeWrittenIsReportedOnceAndTheProgramCloses)
{
    open(document(QStringLiteral("page.htm")));
    // The data folder went wrong after start-up: a folder now stands where the list is written.
    QDir(dataHome.path()).mkdir(QStringLiteral("QZWEB.ini"));
    QSignalSpy closed(window.get(), &MainWindow::closed);

    EXPECT_TRUE(window->close());

    EXPECT_EQ(closed.size(), 1);
    EXPECT_FALSE(window->isVisible());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().icon, DialogIcon::Error);
    EXPECT_TRUE(dialogs.messages.first().text.contains(QStringLiteral("QZWEB.ini")))
        << dialogs.messages.first().text.toStdString();
}

// Open, a recent-file slot, a drop and the command line all read through the one loader: a
// named pipe is refused at once (it used to block forever), the page stays as it was.
TEST_F(MainWindowRecentFiles, ANamedPipeIsRefusedFromEveryWayOfOpeningWithoutWaiting)
{
    const QString pipe = workPath(QStringLiteral("pipe.htm"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    restartWith({pipe});
    const struct
    {
        const char *name;
        std::function<void()> open;
    } ways[] = {
        {"Open", [&] { open(pipe); }},
        {"recent file", [&] { trigger(QStringLiteral("mnuFavorit")); }},
        {"drop",
         [&] {
             QMimeData mime;
             mime.setUrls({QUrl::fromLocalFile(pipe)});
             QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(window.get(), &enter);
             QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(window.get(), &drop);
         }},
        {"command line", [&] { window->openStartupFile(pipe); }},
    };
    for (const auto &way : ways) {
        SCOPED_TRACE(way.name);
        dialogs.messages.clear();
        way.open();
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages.first().icon, DialogIcon::Error);
        EXPECT_TRUE(dialogs.messages.first().text.contains(QStringLiteral("名前付きパイプは通常のファイルではない")))
            << dialogs.messages.first().text.toStdString();
        EXPECT_TRUE(window->document().isUntitled());
    }
}

// A list file read only up to a zero byte is not cut short at close: it keeps its bytes until
// its list changes, and then the original stays beside it.
TEST_F(MainWindowRecentFiles, ListFilesCutByAZeroByteSurviveTheCloseAndAreKeptOnceChanged)
{
    static const char kRecent[] = "/a.htm\r\n\0/b.htm\r\n";
    static const char kHistory[] = "\"2026/01/05\",\"A\",\"http://a/\"\r\n\0\"2026/01/06\",\"B\",\"http://b/\"\r\n";
    const QByteArray recent(kRecent, sizeof kRecent - 1);
    const QByteArray history(kHistory, sizeof kHistory - 1);
    window.reset();
    for (const auto &[name, bytes] : {std::pair{"QZWEB.ini", recent}, std::pair{"WEBUrl.ini", history}}) {
        QFile file(dataFile(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    createWindows();
    EXPECT_EQ(slotCaptions().first(), QStringLiteral("/a.htm"));
    ASSERT_TRUE(window->close());
    EXPECT_EQ(readBytes(dataFile(QStringLiteral("QZWEB.ini"))), recent);
    EXPECT_EQ(readBytes(dataFile(QStringLiteral("WEBUrl.ini"))), history);

    createWindows();
    const QString page = document(QStringLiteral("page.htm"));
    open(page);
    ASSERT_TRUE(window->close());
    EXPECT_EQ(LineFile::read(dataFile(QStringLiteral("QZWEB.ini"))).mid(0, 2),
              (QStringList{page, QStringLiteral("/a.htm")}));
    EXPECT_EQ(readBytes(dataFile(QStringLiteral("QZWEB.ini.bak"))), recent);
    EXPECT_EQ(readBytes(dataFile(QStringLiteral("WEBUrl.ini"))), history);
    EXPECT_FALSE(QFile::exists(dataFile(QStringLiteral("WEBUrl.ini.bak"))));
}

} // namespace
