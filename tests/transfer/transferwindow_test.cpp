#include "transfer/transferwindow.h"

#include "common/linefile.h"
#include "support/ftp/localfiles.h"
#include "support/ftp/pyftpdserver.h"
#include "support/ftp/scriptedsession.h"
#include "support/scripteduserdialogs.h"
#include "transfer/ftp/ftpsettings.h"
#include "transfer/localpane.h"
#include "transfer/remotepane.h"
#include "transfer/sitebook.h"
#include "transfer/sitesettingsfixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// Readable failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

namespace fs = std::filesystem;

constexpr int kJobWaitMs = 20000;

// A loopback port that takes connections (the kernel completes them) and never says a word.
class SilentServer
{
public:
    SilentServer()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::listen(m_fd, 4);
        socklen_t length = sizeof address;
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(m_fd); }
    SilentServer(const SilentServer &) = delete;
    SilentServer &operator=(const SilentServer &) = delete;
    int port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

class TransferWindowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_savedCurrent = QDir::currentPath();
        qputenv("QZWEB_HOME", m_home.path().toLocal8Bit());
        QDir::setCurrent(m_work.path());
    }

    void TearDown() override
    {
        m_window.reset();
        QDir::setCurrent(m_savedCurrent);
        qunsetenv("QZWEB_HOME");
    }

    QString bookPath() const { return QDir(m_home.path()).filePath(SiteBook::kFileName); }

    void writeBook(const QStringList &lines) const { LineFile::write(bookPath(), lines); }

    void open()
    {
        givePlainActiveSettings(m_home.path());
        m_window = std::make_unique<TransferWindow>(m_dialogs);
        m_window->show();
    }

    template<typename T>
    T *control(const char *name) const
    {
        T *found = m_window->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QTreeView *remote() const { return control<QTreeView>("ListView1"); }
    QTreeWidget *local() const { return control<QTreeWidget>("ListView2"); }
    QString remoteFolder() const { return control<QLabel>("Label5")->text(); }

    void click(const char *name) const { control<QAbstractButton>(name)->click(); }

    // Waits until every FTP job the window started has ended and been shown.
    bool waitIdle() const
    {
        return QTest::qWaitFor([this] { return !m_window->isBusy(); }, kJobWaitMs);
    }

    static int rowCount(const QAbstractItemView *list) { return list->model()->rowCount(); }

    static QStringList names(const QAbstractItemView *list, int column = 0)
    {
        QStringList texts;
        for (int row = 0; row < rowCount(list); ++row)
            texts.append(list->model()->index(row, column).data().toString());
        return texts;
    }

    // The name's row; invalid when the list shows no such name.
    static QModelIndex row(const QAbstractItemView *list, const QString &name)
    {
        const QModelIndexList found =
            list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly);
        return found.isEmpty() ? QModelIndex() : found.constFirst();
    }

    static QVariant cell(const QAbstractItemView *list, const QString &name, int column, int role = Qt::DisplayRole)
    {
        const QModelIndex found = row(list, name);
        return found.sibling(found.row(), column).data(role);
    }

    // Makes the name's row the only one selected, and the current one.
    QModelIndex select(const QString &name) const
    {
        const QModelIndex found = row(remote(), name);
        EXPECT_TRUE(found.isValid()) << name.toStdString();
        remote()->setCurrentIndex(found);
        remote()->selectionModel()->select(found, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return found;
    }

    void doubleClick(const QString &name) const
    {
        const QModelIndex found = select(name);
        ASSERT_TRUE(found.isValid());
        emit remote()->doubleClicked(found);
    }

    // Ends the open edit of a remote name with the text and the key.
    void finishEdit(const QString &typed, Qt::Key end) const
    {
        auto *editor = remote()->viewport()->findChild<QLineEdit *>();
        ASSERT_NE(editor, nullptr);
        editor->setText(typed);
        QTest::keyClick(editor, end);
        // The view closes the editor on its next turn; then the editor goes, so the next edit
        // finds its own.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Edits the remote name in place and ends the edit with the key.
    void editName(const QString &name, const QString &typed, Qt::Key end) const
    {
        const QModelIndex found = row(remote(), name);
        ASSERT_TRUE(found.isValid()) << name.toStdString();
        remote()->edit(found);
        finishEdit(typed, end);
    }

    // The server's tree: a folder with a Japanese name, a file with blanks, a link.
    void fillServer(const PyFtpdServer &server) const
    {
        const fs::path root = server.root();
        writeFile(root / "index.html", std::string(1234, 'x'));
        writeFile(root / "my page.html", "0123456789");
        fs::create_directory(root / "sub");
        writeFile(root / "sub" / "a.txt", "a");
        fs::create_directory(root / fs::u8path("日本語フォルダ"));
        writeFile(root / fs::u8path("日本語フォルダ") / fs::u8path("中.txt"), "abc");
        fs::create_symlink("index.html", root / "latest");
    }

    QString siteLine(const PyFtpdServer &server, const char *password, const QString &folder = {}) const
    {
        return QStringLiteral("My Site,127.0.0.1:%1,%2,%3,%4")
            .arg(server.port())
            .arg(QString::fromStdString(server.user()), QString::fromLatin1(password), folder);
    }

    ScriptedUserDialogs m_dialogs;
    QTemporaryDir m_home;
    QTemporaryDir m_work;
    std::unique_ptr<TransferWindow> m_window;
    QString m_savedCurrent;
};

TEST_F(TransferWindowTest, HasEveryControlWithItsCaptionAndStartsDisconnected)
{
    open();
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("RODav"));
    EXPECT_EQ(m_window->minimumSize(), QSize(480, 530));
    const QList<std::pair<const char *, QString>> captions = {
        {"Button1", "接続"},
        {"Button2", "切断"},
        {"Button3", "終了"},
        {"PublishUpdatesButton", "更新分を公開"},
        {"Button4", "前"},
        {"Button5", "次"},
        {"Button6", "追加"},
        {"Button7", "保存"},
        {"Button8", "追加中止"},
        {"Button9", "削除"},
        {"Button10", "▲"},
        {"Button16", "▼"},
        {"Button11", "↑ﾌｫﾙﾀﾞｱｯﾌﾟﾛｰﾄﾞ"},
        {"Button15", "↓ﾌｫﾙﾀﾞﾀﾞｳﾝﾛｰﾄﾞ"},
        {"CheckBox1", "全選択"},
    };
    for (const auto &[name, caption] : captions)
        EXPECT_EQ(control<QAbstractButton>(name)->text(), caption) << name;
    EXPECT_EQ(control<QPushButton>("Button10")->toolTip(), QStringLiteral("アップロードします"));
    EXPECT_EQ(control<QPushButton>("Button16")->toolTip(), QStringLiteral("ダウンロードします"));
    EXPECT_EQ(control<QToolButton>("BitBtn1")->toolTip(), QStringLiteral("１つ上のﾌｫﾙﾀﾞへ"));
    EXPECT_EQ(control<QLabel>("LblCount")->text(), QStringLiteral("0"));
    EXPECT_EQ(control<QLineEdit>("Edit4")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(m_window->statusText(), QStringLiteral("RODav"));
    EXPECT_FALSE(control<QPushButton>("Button2")->isEnabled());
    EXPECT_TRUE(control<QPushButton>("Button1")->isEnabled());

    const QStringList remoteCaptions{"ファイル名", "更新日時", "サイズ", "属性"};
    const QList<int> remoteWidths{120, 0, 80, 80}; // the date's own width below
    for (int i = 0; i < remoteCaptions.size(); ++i) {
        EXPECT_EQ(remote()->model()->headerData(i, Qt::Horizontal).toString(), remoteCaptions.at(i));
        if (remoteWidths.at(i) > 0) {
            EXPECT_EQ(remote()->columnWidth(i), remoteWidths.at(i));
        }
    }
    // A date with its year is never cut to "…".
    EXPECT_GT(remote()->columnWidth(1), remote()->fontMetrics().horizontalAdvance(QStringLiteral("2026/12/08 20:10")));
    EXPECT_EQ(local()->columnCount(), 3);
    EXPECT_EQ(local()->columnWidth(1), 130);
    EXPECT_EQ(remote()->selectionMode(), QAbstractItemView::ExtendedSelection);
    QStringList menu;
    for (QAction *action : control<QMenu>("PopupMenu1")->actions())
        menu.append(action->text());
    EXPECT_EQ(
        menu,
        (QStringList{
            "パーミション", "フォルダ作成", "削除", "名前の変更", "", "このフォルダを公開先にする", "更新分を公開"}));
    EXPECT_EQ(control<QMenu>("FolderMenu")->actions().constFirst()->text(),
              QStringLiteral("このフォルダを公開元にする"));

    // Every control a user reaches says what it is.
    for (QWidget *widget : m_window->findChildren<QWidget *>()) {
        if (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(m_window.get())
            || widget->objectName().isEmpty())
            continue;
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->objectName().toStdString();
    }

    // The remote list takes the growth; the local controls keep to the bottom edge.
    const QRect remoteBefore = remote()->geometry();
    const int localGapBefore = m_window->height() - local()->mapTo(m_window.get(), QPoint()).y();
    m_window->resize(m_window->width() + 220, m_window->height() + 160);
    QApplication::processEvents();
    EXPECT_EQ(remote()->height(), remoteBefore.height() + 160);
    EXPECT_EQ(remote()->width(), remoteBefore.width() + 220);
    EXPECT_EQ(m_window->height() - local()->mapTo(m_window.get(), QPoint()).y(), localGapBefore);
}

TEST_F(TransferWindowTest, SiteBookButtonsStepAddSaveAndDelete)
{
    writeBook({"a,b,c,d", "My Site,host,user,pw,/www"});
    open();
    EXPECT_EQ(control<QLabel>("LblCount")->text(), QStringLiteral("1"));
    EXPECT_EQ(control<QLineEdit>("Edit1")->text(), QStringLiteral("a"));
    EXPECT_EQ(remoteFolder(), QString());
    click("Button4"); // 前 on the first does nothing
    EXPECT_EQ(control<QLabel>("LblCount")->text(), QStringLiteral("1"));
    click("Button5");
    EXPECT_EQ(control<QLineEdit>("Edit1")->text(), QStringLiteral("My Site"));
    EXPECT_EQ(remoteFolder(), QStringLiteral("/www"));
    click("Button5"); // 次 on the last does nothing
    EXPECT_EQ(control<QLabel>("LblCount")->text(), QStringLiteral("2"));

    click("Button6"); // 追加
    EXPECT_FALSE(control<QPushButton>("Button5")->isEnabled());
    EXPECT_EQ(control<QLabel>("LblCount")->text(), QStringLiteral("3"));
    EXPECT_EQ(control<QLineEdit>("Edit1")->text(), QString());
    EXPECT_EQ(remoteFolder(), QStringLiteral("/www")); // the folder label keeps its text
    click("Button9");                                  // 削除 beyond the end changes nothing
    EXPECT_EQ(m_window->siteBook().count(), 2);

    control<QLineEdit>("Edit1")->setText(QStringLiteral("New Site"));
    click("Button7");
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_EQ(m_dialogs.messages.constFirst().text, QStringLiteral("4つとも記入してください"));
    EXPECT_EQ(m_window->siteBook().count(), 2);
    control<QLineEdit>("Edit2")->setText(QStringLiteral("example.jp:2121"));
    control<QLineEdit>("Edit3")->setText(QStringLiteral("me"));
    control<QLineEdit>("Edit4")->setText(QStringLiteral("p w"));
    // Another entry's name would share that entry's settings: refused as an empty field is.
    control<QLineEdit>("Edit1")->setText(QStringLiteral("My Site"));
    click("Button7");
    ASSERT_EQ(m_dialogs.messages.size(), 2);
    EXPECT_TRUE(m_dialogs.messages.constLast().text.startsWith(QStringLiteral("登録名「My Site」は 2 件目で")));
    EXPECT_EQ(m_window->siteBook().count(), 2);
    control<QLineEdit>("Edit1")->setText(QStringLiteral("New Site"));
    click("Button7");
    EXPECT_TRUE(control<QPushButton>("Button5")->isEnabled());
    // Line 1 lacked one field, so every line got one comma at loading. Without a keyring a new
    // password is kept for the run, not in the file.
    EXPECT_EQ(LineFile::read(bookPath()),
              (QStringList{"a,b,c,d,", "My Site,host,user,pw,/www,", "New Site,example.jp:2121,me,,"}));

    click("Button8"); // 追加中止 shows the first entry
    EXPECT_EQ(control<QLineEdit>("Edit1")->text(), QStringLiteral("a"));
    click("Button9");
    EXPECT_EQ(m_window->siteBook().count(), 2);
    EXPECT_EQ(control<QLineEdit>("Edit1")->text(), QStringLiteral("My Site"));
    // Deleting is written at closing, not at once.
    EXPECT_EQ(LineFile::read(bookPath()).size(), 3);
    m_window->close();
    EXPECT_EQ(LineFile::read(bookPath()), (QStringList{"My Site,host,user,pw,/www,", "New Site,example.jp:2121,me,,"}));
}

TEST_F(TransferWindowTest, ConnectsListsMovesSortsRenamesAndDisconnects)
{
    PyFtpdServer server;
    fillServer(server);
    writeBook({siteLine(server, "secret")});
    open();

    click("Button1");
    EXPECT_EQ(m_window->statusText(), QStringLiteral("接続中..."));
    EXPECT_FALSE(control<QPushButton>("Button1")->isEnabled()); // no second connect while it runs
    EXPECT_FALSE(control<QPushButton>("Button5")->isEnabled());
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_dialogs.messages.size(), 0);
    EXPECT_EQ(m_window->statusText(), QStringLiteral("接続成功"));
    EXPECT_EQ(remoteFolder(), QStringLiteral("/"));
    QStringList listed = names(remote());
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"index.html", "latest", "my page.html", "sub", "日本語フォルダ"}));
    EXPECT_FALSE(control<QPushButton>("Button1")->isEnabled());
    EXPECT_TRUE(control<QPushButton>("Button2")->isEnabled());
    for (const char *name : {"Button4", "Button5", "Button6", "Button7", "Button8", "Button9"})
        EXPECT_FALSE(control<QPushButton>(name)->isEnabled()) << name;
    for (const char *name : {"Edit1", "Edit2", "Edit3", "Edit4"})
        EXPECT_FALSE(control<QLineEdit>(name)->isEnabled()) << name;

    const QString link = QStringLiteral("latest");
    ASSERT_TRUE(row(remote(), link).isValid());
    EXPECT_TRUE(cell(remote(), link, 3).toString().startsWith(QLatin1Char('l')));
    EXPECT_TRUE(cell(remote(), link, 0, Qt::ToolTipRole).toString().contains(QStringLiteral("index.html")));
    EXPECT_EQ(cell(remote(), QStringLiteral("index.html"), 2).toString(), QStringLiteral("     1,234"));
    // Dates in the local list's form, the year included, not "Dec 08".
    const QString date = cell(remote(), QStringLiteral("index.html"), 1).toString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d$")).match(date).hasMatch())
        << date.toStdString();

    // One sort state for both lists: the size column clicked on the local list, then on the
    // remote one, sorts the remote list descending.
    emit local()->header()->sectionClicked(2);
    emit remote()->header()->sectionClicked(2);
    QStringList sizes = names(remote(), 2);
    EXPECT_EQ(sizes.constFirst(), QStringLiteral("     4,096")) << sizes.join(u'|').toStdString();
    EXPECT_EQ(sizes.constLast(), QStringLiteral("        10"));
    emit remote()->header()->sectionClicked(2);
    sizes = names(remote(), 2);
    EXPECT_EQ(sizes.constFirst(), QStringLiteral("        10")) << sizes.join(u'|').toStdString();
    EXPECT_EQ(sizes.at(2), QStringLiteral("     1,234"));
    EXPECT_EQ(sizes.constLast(), QStringLiteral("     4,096"));
    // Names: the locale's order, whatever the case.
    emit remote()->header()->sectionClicked(0);
    EXPECT_EQ(names(remote()).mid(0, 4), (QStringList{"index.html", "latest", "my page.html", "sub"}));

    doubleClick(QStringLiteral("index.html")); // a file: nothing happens
    EXPECT_FALSE(m_window->isBusy());
    doubleClick(QStringLiteral("sub"));
    EXPECT_EQ(m_window->statusText(), QStringLiteral("ﾃﾞｨﾚｸﾄﾘ変換中..."));
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(remoteFolder(), QStringLiteral("/sub"));
    EXPECT_EQ(names(remote()), QStringList{"a.txt"});
    EXPECT_EQ(m_window->statusText(), QString());

    click("BitBtn1");
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(remoteFolder(), QStringLiteral("/"));
    click("BitBtn1"); // in the login folder the up button does nothing
    EXPECT_FALSE(m_window->isBusy());

    const fs::path root = server.root();
    editName(QStringLiteral("my page.html"), QStringLiteral("my page.html"), Qt::Key_Return);
    EXPECT_FALSE(m_window->isBusy()); // unchanged: nothing sent
    editName(QStringLiteral("my page.html"), QStringLiteral("gone.html"), Qt::Key_Escape);
    EXPECT_FALSE(m_window->isBusy()); // cancelled: nothing sent
    editName(QStringLiteral("my page.html"), QStringLiteral("top page.html"), Qt::Key_Return);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_dialogs.messages.size(), 0);
    EXPECT_TRUE(fs::exists(root / "top page.html"));
    EXPECT_FALSE(fs::exists(root / "my page.html"));
    EXPECT_TRUE(row(remote(), QStringLiteral("top page.html")).isValid());

    doubleClick(QStringLiteral("日本語フォルダ"));
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(remoteFolder(), QStringLiteral("/日本語フォルダ"));
    EXPECT_EQ(names(remote()), QStringList{"中.txt"});

    click("Button2");
    EXPECT_EQ(rowCount(remote()), 0);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_window->statusText(), QStringLiteral("切断成功"));
    EXPECT_TRUE(control<QPushButton>("Button1")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("Button2")->isEnabled());
    EXPECT_TRUE(control<QLineEdit>("Edit1")->isEnabled());
    EXPECT_EQ(m_window->siteBook().record(1).folder, QStringLiteral("/日本語フォルダ"));
    m_window->close();
    EXPECT_EQ(LineFile::read(bookPath()), QStringList{siteLine(server, "secret", QStringLiteral("/日本語フォルダ"))});

    // Connecting again enters the saved folder.
    m_window->show();
    click("Button1");
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(remoteFolder(), QStringLiteral("/日本語フォルダ"));
    EXPECT_EQ(names(remote()), QStringList{"中.txt"});
    click("BitBtn1"); // never above the login folder, but up to it
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(remoteFolder(), QStringLiteral("/"));
    EXPECT_EQ(m_dialogs.messages.size(), 0);
}

TEST_F(TransferWindowTest, RenameInThePopupMenuEditsTheSelectedNameInPlace)
{
    PyFtpdServer server;
    fillServer(server);
    writeBook({siteLine(server, "secret")});
    open();
    click("Button1");
    ASSERT_TRUE(waitIdle());
    auto *rename = control<QAction>("mnuRename");
    ASSERT_NE(rename, nullptr);
    EXPECT_TRUE(control<QMenu>("PopupMenu1")->actions().contains(rename));
    EXPECT_EQ(rename->shortcut(), QKeySequence(Qt::Key_F2));

    ASSERT_TRUE(select(QStringLiteral("index.html")).isValid());
    rename->trigger();
    finishEdit(QStringLiteral("top.html"), Qt::Key_Return);
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.constFirst().text.toStdString();
    EXPECT_TRUE(fs::exists(fs::path(server.root()) / "top.html"));
    EXPECT_FALSE(fs::exists(fs::path(server.root()) / "index.html"));
    EXPECT_TRUE(row(remote(), QStringLiteral("top.html")).isValid());
}

TEST_F(TransferWindowTest, StopEndsARefreshThatWaitsOnASilentServer)
{
    ScriptedFtpServer server;
    scriptLogin(server)
        .answer("257 \"/\" is the current directory")
        .answer("257 \"/\" is the current directory")
        .answer("200 PORT ok")
        .answer("150 Here it comes")
        .sendData("")
        .reply("226 Done")
        .receive(); // the refresh's PWD, never answered
    server.start();
    writeBook({QStringLiteral("Scripted,127.0.0.1:%1,alice,secret,").arg(server.port())});
    open();
    click("Button1");
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(m_window->statusText(), QStringLiteral("接続成功"));

    m_window->remotePane().refresh();
    auto *stop = control<QPushButton>("AbortButton");
    ASSERT_TRUE(QTest::qWaitFor([stop] { return stop->isVisible(); }, 5000));
    EXPECT_TRUE(stop->isEnabled());
    stop->click();
    // Ended by the stop, long before the 30-second time limit (or the server hanging up after 5).
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_window->isBusy(); }, 3000));
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.constFirst().text.toStdString();
    EXPECT_FALSE(stop->isVisible());
    server.finish();
}

TEST_F(TransferWindowTest, FailingCommandsShowTheServerReplyAndTheListKeepsWhatItHeld)
{
    PyFtpdServer server;
    fillServer(server);
    writeBook({siteLine(server, "secret")});
    open();
    click("Button1");
    ASSERT_TRUE(waitIdle());
    const QStringList before = names(remote());
    ASSERT_EQ(before.size(), 5);

    // Gone from the server since the listing: entering it fails, and so does renaming it.
    fs::remove_all(fs::path(server.root()) / "sub");
    doubleClick(QStringLiteral("sub"));
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_EQ(m_dialogs.messages.constLast().icon, DialogIcon::Error);
    EXPECT_TRUE(m_dialogs.messages.constLast().text.contains(QStringLiteral("\r\n550")))
        << m_dialogs.messages.constLast().text.toStdString();
    EXPECT_EQ(remoteFolder(), QStringLiteral("/"));
    EXPECT_EQ(names(remote()), before);

    editName(QStringLiteral("sub"), QStringLiteral("renamed"), Qt::Key_Return);
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(m_dialogs.messages.size(), 2);
    EXPECT_TRUE(m_dialogs.messages.constLast().text.contains(QStringLiteral("\r\n550")));
    EXPECT_EQ(names(remote()), before); // the item has its old name back

    // The keyboard's way in: Return on the list enters the selected folder.
    ASSERT_TRUE(select(QStringLiteral("日本語フォルダ")).isValid());
    remote()->setFocus();
    QTest::keyClick(remote(), Qt::Key_Return);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(remoteFolder(), QStringLiteral("/日本語フォルダ"));

    // 終了 quits the server and closes the window.
    click("Button3");
    EXPECT_FALSE(m_window->isVisible());
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_window->statusText(), QStringLiteral("切断成功"));
    EXPECT_TRUE(control<QPushButton>("Button1")->isEnabled());
    EXPECT_EQ(m_dialogs.messages.size(), 2);
}

TEST_F(TransferWindowTest, AMissingSavedFolderLeavesTheUserInTheLoginFolder)
{
    PyFtpdServer server;
    fillServer(server);
    writeBook({siteLine(server, "secret", QStringLiteral("/no such folder"))});
    open();
    click("Button1");
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_dialogs.messages.size(), 0);
    EXPECT_EQ(m_window->statusText(), QStringLiteral("接続成功"));
    EXPECT_EQ(remoteFolder(), QStringLiteral("/"));
    EXPECT_EQ(rowCount(remote()), 5);
}

TEST_F(TransferWindowTest, AWrongPasswordShowsTheServerReplyAndSaysTheConnectionFailed)
{
    PyFtpdServer server;
    writeBook({siteLine(server, "wrong")});
    open();
    click("Button1");
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    const MessageBoxRequest &box = m_dialogs.messages.constFirst();
    EXPECT_EQ(box.icon, DialogIcon::Error);
    EXPECT_EQ(box.title, UserDialogs::programTitle());
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("ユーザー名かパスワードが違います。"))) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("\r\n530")));
    EXPECT_EQ(m_window->statusText(), QStringLiteral("接続できませんでした"));
    EXPECT_TRUE(control<QPushButton>("Button1")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("Button2")->isEnabled());
    EXPECT_TRUE(control<QLineEdit>("Edit4")->isEnabled());
}

TEST_F(TransferWindowTest, TheStatusSaysConnectingUntilTheLoginWentThrough)
{
    struct Case
    {
        const char *name;
        const char *passwordReply;
        QString end;
    };
    const Case cases[] = {
        {"right password", "230 Logged in", QStringLiteral("接続成功")},
        {"wrong password", "530 Login incorrect.", QStringLiteral("接続できませんでした")},
    };
    for (const Case &c : cases) {
        ScriptedFtpServer server;
        // The server takes its time over the password: the connection stands meanwhile.
        server.reply("220 Ready").answer("331 Password required").receive().pause(800).reply(c.passwordReply);
        const bool loggedIn = c.passwordReply[0] == '2';
        if (loggedIn) {
            server.answer("200 Type set to I").answer("215 UNIX Type: L8").answer("257 \"/\"").answer("257 \"/\"");
            server.answer("200 PORT ok").answer("150 Here it comes").sendData("").reply("226 Done");
        }
        server.start();
        writeBook({QStringLiteral("Scripted,127.0.0.1:%1,alice,secret,").arg(server.port())});
        if (!loggedIn)
            m_dialogs.messageAnswers.enqueue(DialogButton::Ok);
        open();
        click("Button1");
        ASSERT_TRUE(QTest::qWaitFor([&] { return server.commands().size() >= 2; }, kJobWaitMs)) << c.name;
        QTest::qWait(100); // what the client said of the connection has arrived
        EXPECT_EQ(m_window->statusText(), QStringLiteral("接続中...")) << c.name;
        ASSERT_TRUE(waitIdle()) << c.name;
        EXPECT_EQ(m_window->statusText(), c.end) << c.name;
        m_window.reset();
        server.finish();
        EXPECT_EQ(server.failure(), "") << c.name;
    }
}

// Uploading to a server that takes 400 KiB a second: the bar follows what the server has, in
// percent, and a screen reader gets the same value and what it is of.
TEST_F(TransferWindowTest, TheProgressBarFollowsWhatASlowServerHasAndReadsSoToAScreenReader)
{
    constexpr std::size_t rate = 400 * 1024;
    const PyFtpdServer server(PyFtpdServer::CommandLog::Off, rate);
    writeFile(fs::path(m_work.path().toStdString()) / "big.bin", std::string(5 * rate, 'x'));
    writeBook({siteLine(server, "secret")});
    open();
    click("Button1");
    ASSERT_TRUE(waitIdle());
    ASSERT_TRUE(QTest::qWaitFor([this] { return local()->topLevelItemCount() == 1; }, kJobWaitMs));
    local()->topLevelItem(0)->setSelected(true);
    auto *bar = control<QProgressBar>("ProgressBar1");
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(bar);
    ASSERT_NE(reader, nullptr);
    ASSERT_NE(reader->valueInterface(), nullptr);

    click("Button10");
    QElapsedTimer clock;
    clock.start();
    std::optional<int> afterOneSecond;
    QSet<int> values;
    while (m_window->isBusy() && clock.elapsed() < kJobWaitMs) {
        QTest::qWait(50);
        if (!bar->isVisible() || bar->maximum() == 0)
            continue;
        EXPECT_EQ(bar->maximum(), 100);
        EXPECT_EQ(reader->valueInterface()->currentValue().toInt(), bar->value());
        EXPECT_EQ(reader->valueInterface()->maximumValue().toInt(), 100);
        EXPECT_TRUE(reader->text(QAccessible::Description).contains(QStringLiteral("big.bin")));
        EXPECT_TRUE(reader->text(QAccessible::Description).contains(QStringLiteral(" KB")));
        values.insert(bar->value());
        if (!afterOneSecond && clock.elapsed() >= 1000)
            afterOneSecond = bar->value();
    }
    EXPECT_FALSE(m_window->isBusy());
    ASSERT_TRUE(afterOneSecond.has_value());
    EXPECT_LT(*afterOneSecond, 75);
    EXPECT_GE(values.size(), 3);
    EXPECT_EQ(m_dialogs.messages.size(), 0);
}

// A page saved from the editor (a new file renamed over the old one), a new file and a deleted
// one show in the local list by themselves; the rows keep their place and selection.
TEST_F(TransferWindowTest, TheLocalListFollowsItsFolderWhileTheWindowShows)
{
    const fs::path work = m_work.path().toStdString();
    writeFile(work / "index.html", "old");
    writeFile(work / "old.html", "gone soon");
    open();
    ASSERT_TRUE(QTest::qWaitFor([this] { return rowCount(local()) == 2; }, kJobWaitMs));
    local()->setCurrentIndex(row(local(), QStringLiteral("index.html")));
    writeFile(work / "index.html.tmp", "saved from the editor");
    fs::rename(work / "index.html.tmp", work / "index.html");
    writeFile(work / "new.html", "new");
    fs::remove(work / "old.html");
    const auto size = [this](const char *name) { return cell(local(), QString::fromLatin1(name), 2).toString(); };
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return rowCount(local()) == 2 && row(local(), "new.html").isValid(); }, kJobWaitMs))
        << names(local()).join(u',').toStdString();
    EXPECT_EQ(names(local()), (QStringList{"index.html", "new.html"}));
    EXPECT_EQ(size("index.html").trimmed(), QStringLiteral("21"));
    EXPECT_EQ(local()->currentItem()->text(0), QStringLiteral("index.html"));

    // Hidden, the window lets its folder be; shown again, it catches up at once.
    m_window->hide();
    writeFile(work / "while-hidden.html", "x");
    QTest::qWait(600);
    EXPECT_FALSE(row(local(), "while-hidden.html").isValid());
    m_window->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return row(local(), "while-hidden.html").isValid(); }, kJobWaitMs));
}

// 更新 and F5 read both lists again: a file written in place (which tells its folder nothing)
// and a file that came to the server.
TEST_F(TransferWindowTest, RefreshAndF5ReadBothListsAgain)
{
    PyFtpdServer server;
    fillServer(server);
    const fs::path work = m_work.path().toStdString();
    writeFile(work / "page.html", "12");
    writeBook({siteLine(server, "secret")});
    open();
    click("Button1");
    ASSERT_TRUE(waitIdle());
    ASSERT_TRUE(QTest::qWaitFor([this] { return rowCount(local()) == 1; }, kJobWaitMs));
    auto *refresh = control<QPushButton>("RefreshButton");
    EXPECT_EQ(refresh->text(), QStringLiteral("更新"));
    EXPECT_EQ(refresh->accessibleName(), QStringLiteral("更新"));
    EXPECT_TRUE(refresh->toolTip().contains(QStringLiteral("F5")));

    const struct
    {
        const char *name;
        std::function<void()> press;
    } ways[] = {
        {"更新", [&] { refresh->click(); }},
        {"F5", [&] { QTest::keyClick(remote(), Qt::Key_F5); }},
    };
    int round = 0;
    for (const auto &way : ways) {
        ++round;
        {
            std::ofstream page(work / "page.html", std::ios::app);
            page << "345";
        }
        writeFile(fs::path(server.root()) / ("came-" + std::to_string(round) + ".html"), "x");
        QTest::qWait(400); // past the moment a change in the folder would show
        ASSERT_EQ(cell(local(), QStringLiteral("page.html"), 2).toString().trimmed(), QString::number(3 * round - 1));
        way.press();
        ASSERT_TRUE(waitIdle()) << way.name;
        const QString expected = QString::number(2 + 3 * round);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return cell(local(), QStringLiteral("page.html"), 2).toString().trimmed() == expected; }, kJobWaitMs))
            << way.name;
        EXPECT_TRUE(row(remote(), QStringLiteral("came-%1.html").arg(round)).isValid()) << way.name;
    }
    EXPECT_EQ(m_dialogs.messages.size(), 0);
}

TEST_F(TransferWindowTest, AServerThatEndsTheConnectionLeavesTheWindowDisconnectedAndSaysSo)
{
    ScriptedFtpServer server;
    scriptLogin(server).answer("257 \"/\"").answer("257 \"/\"");
    server.answer("200 PORT ok").answer("150 Here it comes").sendData("").reply("226 Done");
    // RFC 959: 421 is the server closing the connection.
    server.answer("421 Timeout.").closeControl();
    server.start();
    writeBook({QStringLiteral("Scripted,127.0.0.1:%1,alice,secret,").arg(server.port())});
    open();
    click("Button1");
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(m_window->statusText(), QStringLiteral("接続成功"));
    m_dialogs.inputAnswers.enqueue(QStringLiteral("new"));
    control<QAction>("mnuMakeFolder")->trigger();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_window->statusText(), QStringLiteral("切断されました"));
    EXPECT_TRUE(control<QPushButton>("Button1")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("Button2")->isEnabled());
    EXPECT_TRUE(control<QLineEdit>("Edit1")->isEnabled());
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    const QString text = m_dialogs.messages.constFirst().text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("サーバーが接続を終了しました"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("421 Timeout."))) << text.toStdString();
    server.finish();
    EXPECT_EQ(server.failure(), "");
}

TEST_F(TransferWindowTest, ASilentServerLeavesTheWindowResponsiveAndEndsWithTheTimeLimit)
{
    SilentServer silent;
    writeBook({QStringLiteral("Silent,127.0.0.1:%1,u,p,").arg(silent.port())});
    open();
    TransferTimeLimits limits;
    limits.connect = limits.reply = std::chrono::milliseconds(1500);
    m_window->setTimeLimits(limits);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    click("Button1");
    ASSERT_TRUE(waitIdle());
    // The event loop kept running while the job waited for the greeting.
    EXPECT_GT(ticks, 10);
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages.constFirst().text.contains(QStringLiteral("1.5秒")))
        << m_dialogs.messages.constFirst().text.toStdString();
    EXPECT_EQ(m_window->statusText(), QStringLiteral("接続できませんでした"));
}

TEST_F(TransferWindowTest, ClosingTheProgramWhileAJobWaitsEndsItWithinASecond)
{
    SilentServer silent;
    writeBook({QStringLiteral("Silent,127.0.0.1:%1,u,p,").arg(silent.port())});
    open();
    click("Button1");
    ASSERT_TRUE(m_window->isBusy());
    QTest::qWait(100);
    QElapsedTimer clock;
    clock.start();
    m_window.reset();
    // Promised within a second; three allow for a loaded machine.
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(LineFile::read(bookPath()).size(), 1);
}

TEST_F(TransferWindowTest, TheLocalListShowsFilesOnlyAndFollowsTheFolderTree)
{
    QDir dir(m_work.path());
    ASSERT_TRUE(dir.mkdir(QStringLiteral("site")));
    ASSERT_TRUE(dir.mkdir(QStringLiteral("site/img")));
    writeFile(fs::path(dir.filePath(QStringLiteral("site/b.html")).toStdString()), std::string(1234567, 'b'));
    writeFile(fs::path(dir.filePath(QStringLiteral("site/a.txt")).toStdString()), "a");
    // A name in CP932 bytes (from a Windows archive) is listed, shown as CP932, kept as bytes.
    const fs::path hyou = fs::path(dir.filePath(QStringLiteral("site")).toStdString()) / "\x95\x5c.htm";
    writeFile(hyou, "<p>");
    open();
    EXPECT_EQ(m_window->localFolder(), QDir(m_work.path()).canonicalPath());
    QSignalSpy filled(&m_window->localPane(), &LocalPane::filled);
    m_window->setLocalFolder(dir.filePath(QStringLiteral("site")));
    ASSERT_TRUE(filled.count() > 0 || filled.wait(5000));
    EXPECT_EQ(QDir::currentPath(), dir.filePath(QStringLiteral("site")));
    QStringList files = names(local());
    files.sort();
    EXPECT_EQ(files, (QStringList{"a.txt", "b.html", "表.htm"}));
    const QString hyouName = QStringLiteral("表.htm");
    EXPECT_EQ(cell(local(), hyouName, 0, LocalPane::kNameRole).toByteArray(), "\x95\x5c.htm");
    EXPECT_EQ(cell(local(), hyouName, 2).toString(), QStringLiteral("         3"));
    const QString big = QStringLiteral("b.html");
    EXPECT_EQ(cell(local(), big, 2).toString(), QStringLiteral(" 1,234,567"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d( .+)?$"))
                    .match(cell(local(), big, 1).toString())
                    .hasMatch())
        << cell(local(), big, 1).toString().toStdString();

    control<QCheckBox>("CheckBox1")->click();
    EXPECT_EQ(local()->selectedItems().size(), 3);
    control<QCheckBox>("CheckBox1")->click();
    EXPECT_EQ(local()->selectedItems().size(), 0);

    // Choosing a folder in the tree makes it the current folder and lists it.
    auto *tree = control<QTreeView>("DirectoryListBox1");
    auto *model = qobject_cast<const QFileSystemModel *>(tree->model());
    ASSERT_NE(model, nullptr);
    filled.clear();
    tree->setCurrentIndex(model->index(dir.filePath(QStringLiteral("site/img"))));
    ASSERT_TRUE(filled.count() > 0 || filled.wait(5000));
    EXPECT_EQ(QDir::currentPath(), dir.filePath(QStringLiteral("site/img")));
    EXPECT_EQ(rowCount(local()), 0);
    fs::remove(hyou); // QTemporaryDir's clean-up cannot see the name
}

TEST_F(TransferWindowTest, AFolderOfTwentyThousandFilesListsWithoutStoppingTheWindow)
{
    const fs::path folder = fs::path(m_work.path().toStdString()) / "many";
    fs::create_directory(folder);
    constexpr int kFiles = 20000;
    for (int i = 0; i < kFiles; ++i)
        writeFile(folder / ("f" + std::to_string(i) + ".html"), "");
    open();
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(0);
    QSignalSpy filled(&m_window->localPane(), &LocalPane::filled);
    m_window->setLocalFolder(QString::fromStdString(folder.string()));
    EXPECT_EQ(filled.count(), 0); // the first slice only; the rest comes between events
    ASSERT_TRUE(filled.wait(60000));
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(rowCount(local()), kFiles);
}

} // namespace
