#include "app/appwindows.h"
#include "app/statusbar.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "common/atomicfile.h"
#include "common/linefile.h"
#include "common/ownfiles.h"
#include "common/previewcopyrecord.h"
#include "support/mainwindowfixture.h"
#include "transfer/transferwindow.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSplitter>

namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class MainWindowStartup : public MainWindowFixture
{
protected:
    QString dataFile(const QString &name) const { return QDir(dataHome.path()).filePath(name); }

    // Starts the program again with list files prepared by the test.
    void restart()
    {
        window.reset();
        dialogs.messages.clear();
        createWindows();
    }
};

TEST_F(MainWindowStartup, CreatesTheWindowsInOrderAndShowsOnlyTheMainOne)
{
    EXPECT_EQ(window->objectName(), QStringLiteral("Form1"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("QZWeb"));
    const QList<std::pair<QString, QString>> expected = {
        {QStringLiteral("Form2"), QStringLiteral("色やサイズの指定")},
        {QStringLiteral("Form3"), QStringLiteral("表の設定")},
        {QStringLiteral("RIREKIfrm"), QStringLiteral("ファイル履歴編集")},
        {QStringLiteral("AboutBox"), QStringLiteral("バージョン情報")},
        {QStringLiteral("Ftp2"), QStringLiteral("パーミション設定")},
        {QStringLiteral("Ftp1"), QStringLiteral("RODav")},
    };
    QStringList createdOrder;
    for (QObject *child : window->children()) {
        auto *w = qobject_cast<QWidget *>(child);
        if (w && w->isWindow())
            createdOrder.append(w->objectName());
    }
    QStringList expectedOrder;
    for (const auto &[name, caption] : expected) {
        expectedOrder.append(name);
        auto *w = window->findChild<QWidget *>(name);
        ASSERT_NE(w, nullptr) << name.toStdString();
        EXPECT_EQ(w->windowTitle(), caption);
        EXPECT_FALSE(w->isVisible()) << name.toStdString();
    }
    createdOrder.removeIf([&](const QString &n) { return !expectedOrder.contains(n); });
    // The permission dialog, made before the transfer window, then belongs to it.
    expectedOrder.removeAll(QStringLiteral("Ftp2"));
    EXPECT_EQ(createdOrder, expectedOrder);
    EXPECT_EQ(window->findChild<QWidget *>(QStringLiteral("Ftp2"))->parentWidget(),
              window->findChild<QWidget *>(QStringLiteral("Ftp1")));
}

TEST_F(MainWindowStartup, StateAndControlsStartAsDesigned)
{
    EXPECT_TRUE(window->document().isUntitled());
    const PreviewSession &s = window->previewSession();
    EXPECT_TRUE(s.previewDir.isEmpty());
    EXPECT_TRUE(s.lastUrl.isEmpty());
    EXPECT_FALSE(s.onlineFlag);
    EXPECT_TRUE(window->webLists().webHistory.isEmpty());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d_\\d\\d_\\d\\d\\.htm$")).match(s.previewName).hasMatch())
        << s.previewName.toStdString();

    auto *url = control<QComboBox>(QStringLiteral("cmbURL"));
    ASSERT_NE(url, nullptr);
    EXPECT_EQ(url->count(), 2);
    EXPECT_EQ(url->currentIndex(), 0);
    EXPECT_EQ(url->currentText(), url->itemText(0));
    EXPECT_TRUE(control<QRadioButton>(QStringLiteral("RadioButton2"))->isChecked());
    EXPECT_TRUE(control<QRadioButton>(QStringLiteral("RadioButton4"))->isChecked());

    auto *progress = control<QProgressBar>(QStringLiteral("ProgressBar1"));
    ASSERT_NE(progress, nullptr);
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(progress->parentWidget()->objectName(), QStringLiteral("StatusBar1"));
    EXPECT_EQ(progress->geometry(), QRect(0, 2, 400, 16));
    EXPECT_EQ(progress->minimum(), 0);
    EXPECT_EQ(progress->maximum(), 100);
    EXPECT_TRUE(window->acceptDrops());
    // A first start: the editor and the preview half each.
    const QList<int> paneHeights = window->view().splitter->sizes();
    EXPECT_LE(qAbs(paneHeights.value(0) - paneHeights.value(1)), 1);
    EXPECT_EQ(dialogs.messages.size(), 0);
}

TEST_F(MainWindowStartup, LoadsTheListFilesOfThePreviousRun)
{
    LineFile::write(dataFile(QStringLiteral("WEBUrl.ini")), {QStringLiteral("\"2026/12/01\",\"http://a/\",\"A\"")});
    LineFile::write(dataFile(QStringLiteral("QZWEB.ini")),
                    {QStringLiteral("/x/1.htm"), QString(), QStringLiteral("/x/3.htm")});
    restart();
    EXPECT_EQ(window->webLists().webHistory, QStringList{QStringLiteral("\"2026/12/01\",\"http://a/\",\"A\"")});
    EXPECT_EQ(action(QStringLiteral("mnuFavorit"))->text(), QStringLiteral("/x/1.htm"));
    EXPECT_EQ(action(QStringLiteral("mnuFavorit1"))->text(), QString());
    EXPECT_EQ(action(QStringLiteral("mnuFavorit2"))->text(), QStringLiteral("/x/3.htm"));
    EXPECT_EQ(action(QStringLiteral("mnuFavorit6"))->text(), QString());
}

TEST_F(MainWindowStartup, AnUnreadableListIsReportedAndTheRestStillStarts)
{
    QDir(dataHome.path()).mkdir(QStringLiteral("WEBUrl.ini")); // unreadable even for root
    LineFile::write(dataFile(QStringLiteral("QZWEB.ini")), {QStringLiteral("/x/1.htm")});
    restart();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().icon, DialogIcon::Error);
    EXPECT_TRUE(dialogs.messages.first().text.contains(QStringLiteral("WEBUrl.ini")));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(action(QStringLiteral("mnuFavorit"))->text(), QStringLiteral("/x/1.htm"));
    EXPECT_TRUE(window->acceptDrops());
}

// This run's own preview is taken away at close (the preview tests render one); a file of the
// user's that merely carries the preview's name is left alone.
TEST_F(MainWindowStartup, ClosingWritesSevenRecentLinesAndLeavesAFileOfThePreviewsNameAlone)
{
    LineFile::write(dataFile(QStringLiteral("QZWEB.ini")),
                    {QStringLiteral("1"),
                     QStringLiteral("2"),
                     QStringLiteral("3"),
                     QStringLiteral("4"),
                     QStringLiteral("5"),
                     QStringLiteral("6"),
                     QStringLiteral("7"),
                     QStringLiteral("8"),
                     QStringLiteral("9"),
                     QStringLiteral("10")});
    restart();
    const QString document = QDir(work.path()).filePath(QStringLiteral("new.htm"));
    QFile(document).open(QIODevice::WriteOnly);
    dialogs.fileAnswers.enqueue(document);
    trigger(QStringLiteral("Open"));
    const QString preview = window->previewSession().previewFilePath();
    ASSERT_EQ(preview, QDir(work.path()).filePath(window->previewSession().previewName));
    QFile(preview).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::exists(preview));

    EXPECT_TRUE(window->close());
    EXPECT_TRUE(QFile::exists(preview));
    EXPECT_EQ(readBytes(dataFile(QStringLiteral("QZWEB.ini"))),
              document.toUtf8() + QByteArray("\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n"));
}

// A run killed before its close leaves its preview beside the page, where the transfer window
// would publish it; the next start takes it away, unless it was changed since.
TEST_F(MainWindowStartup, ThePreviewFilesARunLeftBehindGoAtTheNextStartWhenUnchanged)
{
    const QString left = QDir(work.path()).filePath(QStringLiteral("13_05_22.htm"));
    const QString edited = QDir(work.path()).filePath(QStringLiteral("13_05_23.htm"));
    {
        PreviewCopyRecord earlierRun(OwnFiles::recordFolder());
        for (const QString &copy : {left, edited}) {
            earlierRun.writing(copy, "<p>draft</p>");
            AtomicFile::write(copy, "<p>draft</p>");
        }
    }
    AtomicFile::write(edited, "<p>edited by hand</p>");
    restart();
    EXPECT_FALSE(QFile::exists(left));
    EXPECT_EQ(readBytes(edited), QByteArray("<p>edited by hand</p>"));
}

TEST_F(MainWindowStartup, ARecentListThatCouldNotBeReadIsNotOverwrittenAtClose)
{
    QDir(dataHome.path()).mkdir(QStringLiteral("QZWEB.ini"));
    restart();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(QFileInfo(dataFile(QStringLiteral("QZWEB.ini"))).isDir());
    EXPECT_EQ(dialogs.messages.size(), 1);
}

TEST_F(MainWindowStartup, TheCloseQueryCanKeepTheWindowOpen)
{
    EditorAdapter(*window->view().editor).replaceSelection(QStringLiteral("unsaved"));
    dialogs.messageAnswers.enqueue(DialogButton::Cancel);
    trigger(QStringLiteral("Exit1"));
    EXPECT_TRUE(window->isVisible());
    dialogs.messageAnswers.enqueue(DialogButton::Cancel);
    control<QPushButton>(QStringLiteral("Button2"))->click();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_FALSE(QFile::exists(dataFile(QStringLiteral("QZWEB.ini"))));
    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    trigger(QStringLiteral("Exit1"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(QFile::exists(dataFile(QStringLiteral("QZWEB.ini"))));
}

} // namespace
