#include "common/linefile.h"
#include "support/ftp/localfiles.h"
#include "support/ftp/pyftpdserver.h"
#include "support/scripteduserdialogs.h"
#include "transfer/localpane.h"
#include "transfer/permissiondialog.h"
#include "transfer/publishcommand.h"
#include "transfer/remotepane.h"
#include "transfer/sitesettingsfixture.h"
#include "transfer/transferwindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;

constexpr int kWaitMs = 30000;

bool waitUntil(const std::function<bool()> &done, int milliseconds = kWaitMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

fs::path fsPath(const QString &path)
{
    return fs::path(path.toStdString());
}

// Every regular file below root, as relative path → bytes.
std::map<std::string, std::string> treeOf(const fs::path &root)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).string()] = readFile(entry.path());
    }
    return files;
}

// The transfer window offscreen, logged in to a real pyftpdlib server on loopback; the scripted
// dialogs answer its questions.
class TransferCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid() && m_local.isValid());
        qputenv("QZWEB_HOME", m_home.path().toUtf8());
        LineFile::write(QDir(m_home.path()).filePath(SiteBook::kFileName), {QStringLiteral("test,host,user,pw,")});
        givePlainActiveSettings(m_home.path());
        m_window = std::make_unique<TransferWindow>(m_dialogs);
        m_permission = std::make_unique<PermissionDialog>(m_dialogs);
        m_window->setPermissionDialog(*m_permission);
        control<QLineEdit>("Edit1")->setText(QStringLiteral("test"));
        control<QLineEdit>("Edit2")->setText(QStringLiteral("127.0.0.1:%1").arg(m_server.port()));
        control<QLineEdit>("Edit3")->setText(QString::fromStdString(m_server.user()));
        control<QLineEdit>("Edit4")->setText(QString::fromStdString(m_server.password()));
        press("Button1");
        ASSERT_TRUE(waitIdle());
        ASSERT_EQ(m_window->statusText(), QStringLiteral("接続成功"));
    }

    void TearDown() override
    {
        m_permission.reset(); // a child of the window by now
        m_window.reset();
        qunsetenv("QZWEB_HOME");
        // Choosing a local folder makes it the process's current folder; the next test's server
        // starts there, and pyftpdlib fails every CWD from a folder that no longer exists.
        QDir::setCurrent(QDir::tempPath());
    }

    template<typename T>
    T *control(const char *name)
    {
        T *found = m_window->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void press(const char *name) { control<QAbstractButton>(name)->click(); }
    void trigger(const char *name) { control<QAction>(name)->trigger(); }
    bool waitIdle()
    {
        return waitUntil([this] { return !m_window->isBusy(); });
    }

    QTreeView *remoteList() { return control<QTreeView>("ListView1"); }
    // ▲ on every entry of the local folder, once the list shows all count of them.
    void uploadAllOf(const QString &folder, int count)
    {
        m_window->setLocalFolder(folder);
        auto *localList = control<QTreeWidget>("ListView2");
        ASSERT_TRUE(waitUntil([&] { return localList->topLevelItemCount() == count; }));
        localList->selectAll();
        press("Button10");
        ASSERT_TRUE(waitIdle());
    }
    // The row showing the name; -1 when none does.
    int remoteRow(const QString &name)
    {
        const QAbstractItemModel *model = remoteList()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 0).data().toString() == name)
                return row;
        }
        return -1;
    }
    QString remoteText(const QString &name, int column)
    {
        return remoteList()->model()->index(remoteRow(name), column).data().toString();
    }
    bool selectRemote(const QString &name)
    {
        remoteList()->clearSelection();
        const int row = remoteRow(name);
        if (row >= 0)
            remoteList()->selectionModel()->select(remoteList()->model()->index(row, 0),
                                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
        return row >= 0;
    }
    fs::path serverRoot() const { return fs::path(m_server.root()); }

    // A local site with Japanese names and a nested folder.
    QString makeSite()
    {
        const fs::path site = fsPath(m_local.path()) / "サイト";
        fs::create_directories(site / "画像" / "小");
        writeFile(site / "index.html", "<p>トップ</p>\r\n");
        writeFile(site / "日本語 ページ.html", std::string(70000, 'x'));
        writeFile(site / "画像" / "図.gif", "GIF89a\x01\x02");
        writeFile(site / "画像" / "小" / "空.txt", "");
        return QString::fromStdString(site.string());
    }

    PyFtpdServer m_server;
    QTemporaryDir m_home;
    QTemporaryDir m_local;
    ScriptedUserDialogs m_dialogs;
    std::unique_ptr<TransferWindow> m_window;
    std::unique_ptr<PermissionDialog> m_permission;
};

TEST_F(TransferCommandsTest, AFolderTreeGoesUpComesBackByteForByteAndIsDeleted)
{
    const QString site = makeSite();
    m_window->setLocalFolder(site);
    press("Button11");
    EXPECT_EQ(m_window->statusText(), QStringLiteral("ｱｯﾌﾟﾛｰﾄﾞ中..."));
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_window->statusText(), QStringLiteral("完了"));
    const auto original = treeOf(fsPath(site));
    EXPECT_EQ(treeOf(serverRoot() / "サイト"), original);
    EXPECT_GE(remoteRow(QStringLiteral("サイト")), 0); // the remote list was read again

    QTemporaryDir elsewhere;
    m_window->setLocalFolder(elsewhere.path());
    ASSERT_TRUE(selectRemote(QStringLiteral("サイト")));
    press("Button15");
    EXPECT_EQ(m_window->statusText(), QStringLiteral("ﾌｫﾙﾀﾞごとﾀﾞｳﾝﾛｰﾄﾞ中..."));
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_window->statusText(), QStringLiteral("完了"));
    EXPECT_EQ(treeOf(fsPath(elsewhere.path()) / "サイト"), original);

    ASSERT_TRUE(selectRemote(QStringLiteral("サイト")));
    m_dialogs.messageAnswers.enqueue(DialogButton::No);
    trigger("mnuDelete");
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(fs::exists(serverRoot() / "サイト")); // いいえ sends nothing
    m_dialogs.messageAnswers.enqueue(DialogButton::Yes);
    trigger("mnuDelete");
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(m_dialogs.messages.size(), 2);
    EXPECT_EQ(m_dialogs.messages.last().title, QStringLiteral("警告"));
    EXPECT_EQ(m_dialogs.messages.last().text, QStringLiteral("サイトを削除します。\n\n   よろしいですか？"));
    EXPECT_FALSE(fs::exists(serverRoot() / "サイト"));
    EXPECT_EQ(remoteRow(QStringLiteral("サイト")), -1);
    EXPECT_EQ(m_window->statusText(), QStringLiteral("完了"));
    EXPECT_EQ(m_dialogs.unexpected, 0);
}

TEST_F(TransferCommandsTest, SelectedFilesGoUpAndDownAndSeveralAreDeletedAfterOneQuestion)
{
    const fs::path local = fsPath(m_local.path());
    writeFile(local / "a.html", "aaa");
    writeFile(local / "b.html", "bbbb");
    uploadAllOf(m_local.path(), 2);
    EXPECT_EQ(readFile(serverRoot() / "a.html"), "aaa");
    EXPECT_EQ(readFile(serverRoot() / "b.html"), "bbbb");

    writeFile(serverRoot() / "a.html", "changed on the server");
    QTemporaryDir elsewhere;
    m_window->setLocalFolder(elsewhere.path());
    ASSERT_TRUE(selectRemote(QStringLiteral("a.html")));
    press("Button16");
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(readFile(fsPath(elsewhere.path()) / "a.html"), "changed on the server");
    EXPECT_EQ(m_window->statusText(), QStringLiteral("完了"));

    remoteList()->selectAll();
    m_dialogs.messageAnswers.enqueue(DialogButton::Yes);
    trigger("mnuDelete");
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_EQ(m_dialogs.messages.first().text, QStringLiteral("a.htmlを削除します。\n\n   よろしいですか？"));
    EXPECT_FALSE(fs::exists(serverRoot() / "a.html"));
    EXPECT_FALSE(fs::exists(serverRoot() / "b.html"));
}

// The program's page check plugs in here: what it answers is what goes up.
TEST_F(TransferCommandsTest, TheUploadCheckDecidesWhichFilesGoUp)
{
    const fs::path local = fsPath(m_local.path());
    writeFile(local / "keep.html", "kept");
    writeFile(local / "skip.html", "skipped");
    QString checkedFolder;
    QList<QByteArray> checkedNames;
    m_window->setUploadCheck([&](const QString &folder, const QList<QByteArray> &names) {
        checkedFolder = folder;
        checkedNames = names;
        return QList<QByteArray>{"keep.html"};
    });
    uploadAllOf(m_local.path(), 2);
    EXPECT_EQ(QDir::cleanPath(checkedFolder), QDir::cleanPath(m_local.path()));
    std::sort(checkedNames.begin(), checkedNames.end());
    EXPECT_EQ(checkedNames, (QList<QByteArray>{"keep.html", "skip.html"}));
    EXPECT_EQ(readFile(serverRoot() / "keep.html"), "kept");
    EXPECT_FALSE(fs::exists(serverRoot() / "skip.html"));

    // ↑ﾌｫﾙﾀﾞｱｯﾌﾟﾛｰﾄﾞ asks the same, folder by folder, and leaves out what it was told to.
    const fs::path site = local / "site";
    fs::create_directories(site / "sub");
    writeFile(site / "keep.html", "kept");
    writeFile(site / "sub" / "skip.html", "skipped");
    writeFile(site / "sub" / "keep.css", "kept");
    QStringList asked;
    m_window->setUploadCheck([&](const QString &folder, QList<QByteArray> names) {
        std::sort(names.begin(), names.end());
        asked.append(QDir(m_local.path()).relativeFilePath(folder) + QLatin1Char(':')
                     + QString::fromLatin1(names.join(',')));
        names.removeAll("skip.html");
        return names;
    });
    m_window->setLocalFolder(QString::fromStdString(site.string()));
    ASSERT_TRUE(waitIdle()); // the remote list read again after ▲
    press("Button11");
    EXPECT_EQ(m_window->statusText(), QStringLiteral("ｱｯﾌﾟﾛｰﾄﾞ中..."));
    ASSERT_TRUE(waitIdle());
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, QStringList({QStringLiteral("site/sub:keep.css,skip.html"), QStringLiteral("site:keep.html")}));
    EXPECT_EQ(readFile(serverRoot() / "site" / "keep.html"), "kept");
    EXPECT_EQ(readFile(serverRoot() / "site" / "sub" / "keep.css"), "kept");
    EXPECT_FALSE(fs::exists(serverRoot() / "site" / "sub" / "skip.html"));
}

// An upload check that stops the upload (ページチェックを見る) sends nothing, for ▲ and for
// ↑ﾌｫﾙﾀﾞｱｯﾌﾟﾛｰﾄﾞ alike.
TEST_F(TransferCommandsTest, AnUploadCheckThatStopsSendsNothing)
{
    const fs::path site = fsPath(m_local.path()) / "site";
    fs::create_directories(site);
    writeFile(site / "a.html", "a");
    writeFile(site / "b.css", "b");
    int asked = 0;
    m_window->setUploadCheck([&](const QString &, const QList<QByteArray> &) {
        ++asked;
        return std::optional<QList<QByteArray>>();
    });
    uploadAllOf(QString::fromStdString(site.string()), 2);
    const QString status = m_window->statusText();
    press("Button11");
    EXPECT_EQ(m_window->statusText(), status); // no job started
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(fs::exists(serverRoot() / "a.html"));
    EXPECT_FALSE(fs::exists(serverRoot() / "site"));
}

TEST_F(TransferCommandsTest, NewFolderAndPermissionChange)
{
    m_dialogs.inputAnswers.enqueue(QString()); // cancelled: nothing is made
    trigger("mnuMakeFolder");
    m_dialogs.inputAnswers.enqueue(QStringLiteral("新しい"));
    trigger("mnuMakeFolder");
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_dialogs.inputPrompts.size(), 2);
    EXPECT_TRUE(fs::is_directory(serverRoot() / "新しい"));
    ASSERT_GE(remoteRow(QStringLiteral("新しい")), 0);

    writeFile(serverRoot() / "cgi.pl", "#!/usr/bin/perl\n");
    fs::permissions(serverRoot() / "cgi.pl", fs::perms(0644));
    m_dialogs.inputAnswers.enqueue(QStringLiteral("x")); // any refresh will do
    trigger("mnuMakeFolder");
    ASSERT_TRUE(waitIdle());
    ASSERT_TRUE(selectRemote(QStringLiteral("cgi.pl")));
    EXPECT_EQ(remoteText(QStringLiteral("cgi.pl"), 3), QStringLiteral("-rw-r--r--"));
    m_dialogs.dialogScripts.enqueue([](QDialog *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("755"));
        dialog->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
    });
    trigger("mnuPermission");
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(fs::status(serverRoot() / "cgi.pl").permissions() & fs::perms::all, fs::perms(0755));
    ASSERT_GE(remoteRow(QStringLiteral("cgi.pl")), 0);
    EXPECT_EQ(remoteText(QStringLiteral("cgi.pl"), 3), QStringLiteral("-rwxr-xr-x"));
    EXPECT_EQ(m_permission->result(), QDialog::Accepted);
    EXPECT_EQ(m_dialogs.unexpected, 0);
    // The dialog belongs to the transfer window, so closing it brings that window back, not the
    // main one.
    EXPECT_EQ(m_permission->parentWidget(), m_window.get());
    EXPECT_TRUE(m_permission->isWindow());
}

TEST_F(TransferCommandsTest, ARefusedPermissionChangeIsShownAndTheDialogStaysOpen)
{
    writeFile(serverRoot() / "gone.pl", "");
    m_dialogs.inputAnswers.enqueue(QStringLiteral("x")); // any refresh will do
    trigger("mnuMakeFolder");
    ASSERT_TRUE(waitIdle());
    ASSERT_TRUE(selectRemote(QStringLiteral("gone.pl")));
    fs::remove(serverRoot() / "gone.pl");
    m_dialogs.dialogScripts.enqueue([](QDialog *dialog) {
        dialog->findChild<QPushButton *>(QStringLiteral("Button1"))->click(); // the boxes' 644
    });
    trigger("mnuPermission");
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_EQ(m_dialogs.messages.first().icon, DialogIcon::Error);
    EXPECT_TRUE(m_dialogs.messages.first().text.contains(QStringLiteral("\r\n550")))
        << m_dialogs.messages.first().text.toStdString();
    EXPECT_NE(m_permission->result(), QDialog::Accepted);
    // The dialog is ready for another try.
    EXPECT_TRUE(m_permission->findChild<QPushButton *>(QStringLiteral("Button1"))->isEnabled());
}

TEST_F(TransferCommandsTest, ALargeUploadCancelledHalfWayCanBeUploadedAgain)
{
    const fs::path big = fsPath(m_local.path()) / "big";
    fs::create_directories(big);
    const std::string block(3 * 1024 * 1024, 'z');
    constexpr int kFiles = 40;
    for (int i = 0; i < kFiles; ++i)
        writeFile(big / ("f" + std::to_string(i) + ".bin"), block);
    m_window->setLocalFolder(QString::fromStdString(big.string()));
    press("Button11");
    auto *abort = control<QPushButton>("AbortButton");
    auto *label = control<QLabel>("ProgressLabel");
    EXPECT_TRUE(abort->isVisibleTo(m_window.get()));
    EXPECT_EQ(abort->accessibleName(), QStringLiteral("中止"));
    // Wait until a file is done ("3/40 big/f2.bin..."), so something is done and something left.
    ASSERT_TRUE(waitUntil([&] { return label->text().section(u'/', 0, 0).toInt() >= 2 || !m_window->isBusy(); }));
    ASSERT_TRUE(m_window->isBusy()) << "the upload ended before it could be stopped: "
                                    << m_window->statusText().toStdString() << " "
                                    << (m_dialogs.messages.isEmpty() ? std::string()
                                                                     : m_dialogs.messages.first().text.toStdString());
    abort->click();
    ASSERT_TRUE(waitIdle());
    // A server slow to answer ABOR may cost the connection; the window then connects again.
    EXPECT_TRUE(m_window->statusText() == QStringLiteral("中止しました")
                || waitUntil([this] { return !m_window->isBusy() && m_window->remotePane().isConnected(); }))
        << m_window->statusText().toStdString();
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("途中で中止しました")));
    EXPECT_FALSE(abort->isVisibleTo(m_window.get()));
    std::size_t complete = 0;
    for (const auto &[name, bytes] : treeOf(serverRoot() / "big"))
        complete += bytes == block;
    EXPECT_LT(complete, static_cast<std::size_t>(kFiles));
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) // a cancel is no failure
        << m_dialogs.messages.first().text.toStdString();
    EXPECT_TRUE(m_window->remotePane().isConnected()); // and the connection is still there

    press("Button11");
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_window->statusText(), QStringLiteral("完了"));
    EXPECT_TRUE(treeOf(serverRoot() / "big") == treeOf(big)); // (40 files of 3 MiB are no message)
}

TEST_F(TransferCommandsTest, QuitDuringATransferNeitherConnectsAgainNorShowsAnything)
{
    const fs::path big = fsPath(m_local.path()) / "big";
    fs::create_directories(big);
    for (int i = 0; i < 20; ++i)
        writeFile(big / ("f" + std::to_string(i) + ".bin"), std::string(3 * 1024 * 1024, 'q'));
    m_window->setLocalFolder(QString::fromStdString(big.string()));
    press("Button11");
    auto *label = control<QLabel>("ProgressLabel");
    ASSERT_TRUE(waitUntil([&] { return label->text().section(u'/', 0, 0).toInt() >= 2 || !m_window->isBusy(); }));
    ASSERT_TRUE(m_window->isBusy()) << "the upload ended before 終了";
    press("Button3");
    EXPECT_FALSE(m_window->isVisible());
    ASSERT_TRUE(waitIdle());
    // What the stopped transfer would do next comes on the loop's next turns.
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_FALSE(m_window->isBusy());
    EXPECT_FALSE(m_window->remotePane().isConnected());
    EXPECT_EQ(m_window->statusText(), QStringLiteral("切断成功"));
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.first().text.toStdString();
}

// The rows of the publish dialog as "state path", ticked ones marked "*", and the page check's
// and the site check's marks where a row has them.
QStringList publishRows(QDialog *dialog)
{
    QStringList rows;
    const auto *list = dialog->findChild<QTreeWidget *>(QStringLiteral("PublishList"));
    for (int i = 0; list && i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = list->topLevelItem(i);
        QString shown = (row->checkState(0) == Qt::Checked ? QStringLiteral("*") : QString()) + row->text(0)
            + QLatin1Char(' ') + row->text(1);
        for (int column = 3; column < list->columnCount(); ++column) {
            if (!row->text(column).isEmpty())
                shown += QLatin1Char(' ') + row->text(column);
        }
        rows.append(shown);
    }
    return rows;
}

TEST_F(TransferCommandsTest, PublishShowsThePlanAndSendsOnlyWhatChanged)
{
    const QString site = makeSite();
    for (const char *button : {"PublishUpdatesButton", "SiteCheckButton"}) {
        m_dialogs.messageAnswers.enqueue(DialogButton::Ok);
        press(button);
        EXPECT_TRUE(m_dialogs.messages.last().text.startsWith(PublishCommand::noSourceText())) << button;
    }
    ASSERT_EQ(m_dialogs.messages.size(), 2);

    // The site's folders: the local one from the tree's menu, the remote one from the list's.
    m_window->setLocalFolder(site);
    trigger("mnuPublishSource");
    fs::create_directory(serverRoot() / "www");
    m_window->remotePane().refresh();
    ASSERT_TRUE(waitIdle());
    ASSERT_TRUE(selectRemote(QStringLiteral("www")));
    m_window->remotePane().enterSelectedFolder();
    ASSERT_TRUE(waitIdle());
    trigger("mnuPublishTarget");
    EXPECT_EQ(control<QLabel>("SiteFolders")->text(), site + QStringLiteral(" → /www"));
    // サイトチェック asks for the site this window publishes, once it has a 公開元.
    QSignalSpy checks(m_window.get(), &TransferWindow::siteCheckRequested);
    press("SiteCheckButton");
    ASSERT_EQ(checks.size(), 1);
    EXPECT_EQ(checks.first().first().value<SiteProfile>().localRoot, site);
    EXPECT_EQ(control<QPushButton>("SiteCheckButton")->accessibleName(), QStringLiteral("サイトチェック"));
    m_window->remotePane().goUp(); // publishing does not depend on where the list stands
    ASSERT_TRUE(waitIdle());

    QStringList checkedPages;
    m_window->setPageErrorCount([&](const QString &path) -> qsizetype {
        checkedPages.append(path);
        return path.endsWith(QStringLiteral("/index.html")) ? 2 : 0;
    });
    // The site check as the program plugs it in: a page that links to the top page, which has a
    // fault only the whole site shows.
    QStringList checkedSites;
    m_window->setSiteCheck([&](const SiteProfile &profile, const std::function<bool()> &) {
        checkedSites.append(profile.localRoot);
        SiteLinks links;
        links.files.insert(QStringLiteral("日本語 ページ.html"), {{QStringLiteral("index.html")}, {}});
        links.files.insert(QStringLiteral("index.html"), {{}, {QStringLiteral("リンク先 a.html に場所がありません")}});
        return std::optional(links);
    });
    QStringList shown;
    QString totals;
    const auto publishAll = [&](QDialog *dialog) {
        shown = publishRows(dialog);
        totals = dialog->findChild<QLabel *>(QStringLiteral("PublishTotals"))->text();
        dialog->findChild<QPushButton *>(QStringLiteral("PublishButton"))->click();
    };
    m_dialogs.dialogScripts.enqueue(publishAll);
    press("PublishUpdatesButton");
    ASSERT_TRUE(waitUntil([&] { return !m_window->isBusy() && fs::exists(serverRoot() / "www" / "index.html"); }));
    EXPECT_EQ(shown,
              QStringList({QStringLiteral("*新規 index.html エラー 2 件 エラー 1 件"),
                           QStringLiteral("*新規 日本語 ページ.html"),
                           QStringLiteral("*新規 画像/図.gif"),
                           QStringLiteral("*新規 画像/小/空.txt")}));
    EXPECT_EQ(totals, QStringLiteral("送る 4 個（69 KB）、削除 0 個、変更なし 0 個"));
    EXPECT_TRUE(checkedPages.contains(QDir(site).filePath(QStringLiteral("画像/小/空.txt"))))
        << checkedPages.join(u',').toStdString();
    EXPECT_EQ(treeOf(serverRoot() / "www"), treeOf(fsPath(site)));
    EXPECT_EQ(m_window->statusText(), QStringLiteral("完了"));

    m_dialogs.messageAnswers.enqueue(DialogButton::Ok);
    press("PublishUpdatesButton");
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_dialogs.messages.last().text, QStringLiteral("公開するものはありません（変更なし 4 個）"));
    EXPECT_EQ(checkedSites, QStringList({site})) << "an unchanged site is not checked";

    // A deleted page is offered, unticked, and stays; the edited picture goes.
    fs::remove(fsPath(site) / "index.html");
    writeFile(fsPath(site) / "画像" / "図.gif", "GIF89a\x03\x04");
    m_dialogs.dialogScripts.enqueue(publishAll);
    press("PublishUpdatesButton");
    ASSERT_TRUE(waitUntil(
        [&] { return !m_window->isBusy() && readFile(serverRoot() / "www" / "画像" / "図.gif") == "GIF89a\x03\x04"; }));
    EXPECT_EQ(shown,
              QStringList({QStringLiteral("*変更 画像/図.gif"),
                           QStringLiteral("サーバーのみ index.html 1 ページからリンクされています")}));
    EXPECT_TRUE(fs::exists(serverRoot() / "www" / "index.html"));
    EXPECT_EQ(m_dialogs.unexpected, 0);
}

// 除外… keeps the site's list of what a publish leaves out; the plan leaves it out and says so.
TEST_F(TransferCommandsTest, ExclusionsAreTheSitesAndThePlanSaysWhatTheyLeftOut)
{
    const QString site = makeSite();
    writeFile(fsPath(site) / "下書き.html", "draft");
    writeFile(fsPath(site) / "index.html.bak", "old");
    m_window->setLocalFolder(site);
    trigger("mnuPublishSource");
    m_dialogs.inputAnswers.enqueue(QStringLiteral(" *.bak   下書き.html "));
    press("SiteExclusionsButton");
    ASSERT_EQ(m_dialogs.inputPrompts.size(), 1);
    SiteSettingsStore stored;
    stored.load(QDir(m_home.path()).filePath(SiteSettingsStore::kFileName));
    EXPECT_EQ(stored.settings(QStringLiteral("test")).site.exclusions, QStringLiteral("*.bak 下書き.html"));

    QStringList shown;
    QString excluded;
    m_dialogs.dialogScripts.enqueue([&](QDialog *dialog) {
        shown = publishRows(dialog);
        excluded = dialog->findChild<QLabel *>(QStringLiteral("PublishExcluded"))->text();
        dialog->reject();
    });
    press("PublishUpdatesButton");
    ASSERT_TRUE(waitUntil([&] { return !m_window->isBusy() && !shown.isEmpty(); }));
    EXPECT_FALSE(shown.join(u',').contains(QStringLiteral("下書き"))) << shown.join(u',').toStdString();
    EXPECT_FALSE(shown.join(u',').contains(QStringLiteral(".bak")));
    EXPECT_TRUE(excluded.contains(QStringLiteral("*.bak 下書き.html"))) << excluded.toStdString();
    EXPECT_TRUE(excluded.contains(QStringLiteral("今回 2 個"))) << excluded.toStdString();
    EXPECT_EQ(m_dialogs.unexpected, 0);
}

} // namespace
