#include "app/sitepanel.h"

#include "app/sitepanelcommands.h"
#include "authoring/pageskeleton.h"
#include "common/textcodec.h"
#include "support/fakebrowserengine.h"
#include "support/mainwindowfixture.h"
#include "transfer/transferwindow.h"
#include "workspace/document.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTreeView>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The サイト panel in the real window, on a site folder opened with サイトのフォルダを開く. The
// desktop's trash is a folder of the test's.
class SitePanelTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(trashHome.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(trashHome.path()));
        MainWindowFixture::SetUp();
        site = workPath(QStringLiteral("site"));
        ASSERT_TRUE(QDir().mkpath(site + QStringLiteral("/img")));
        write(QStringLiteral("index.html"), "<p>top</p>");
        write(QStringLiteral("img/cat.gif"), "GIF89a");
        dialogs.fileAnswers.enqueue(site);
        trigger(QStringLiteral("mnuSiteFolder"));
        ASSERT_NE(panel(), nullptr);
        ASSERT_TRUE(panel()->isVisible()) << "a folder opened as the site is shown";
    }
    void TearDown() override
    {
        EXPECT_EQ(dialogs.unexpected, 0);
        MainWindowFixture::TearDown();
        qunsetenv("XDG_DATA_HOME");
    }
    BrowserEngine *makePreviewEngine() override
    {
        engine = new FakeBrowserEngine;
        return engine;
    }

    SitePanel *panel() const { return control<SitePanel>(QStringLiteral("SitePanel")); }
    QTreeView *tree() const { return panel()->tree(); }
    void write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(QDir(site).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // The names the tree shows in the site's top folder, once it has read it.
    QStringList shown() const
    {
        QStringList names;
        const QModelIndex root = tree()->rootIndex();
        for (int row = 0; row < tree()->model()->rowCount(root); ++row)
            names.append(tree()->model()->index(row, 0, root).data().toString());
        return names;
    }
    // The file system model reads folders in the background and hears of changes a moment
    // after they happen. (QTest's QTRY macros would only return from a helper on failure.)
    static bool eventually(const std::function<bool()> &condition)
    {
        QDeadlineTimer deadline(5000);
        while (!condition()) {
            if (deadline.hasExpired())
                return false;
            QTest::qWait(20);
        }
        return true;
    }
    void waitUntilShown(const QStringList &names) const
    {
        EXPECT_TRUE(eventually([&] { return shown() == names; })) << shown().join(u' ').toStdString();
    }
    void choose(const QString &name)
    {
        panel()->select(QDir(site).filePath(name));
        EXPECT_TRUE(eventually([&] { return panel()->currentPath() == QDir(site).filePath(name); }))
            << name.toStdString();
    }
    void run(const char *command) { panel()->findChild<QAction *>(QString::fromLatin1(command))->trigger(); }
    QString lastError() const { return dialogs.messages.isEmpty() ? QString() : dialogs.messages.last().text; }

    QTemporaryDir trashHome;
    QString site;
    FakeBrowserEngine *engine = nullptr;
};

TEST_F(SitePanelTest, ANewPageIsTheSkeletonOnDiskAndOpensAndATakenNameIsRefused)
{
    waitUntilShown({QStringLiteral("img"), QStringLiteral("index.html")});
    dialogs.inputAnswers.enqueue(QStringLiteral("about"));
    run("SiteNewPage");
    const QString page = QDir(site).filePath(QStringLiteral("about.html"));
    QFile written(page);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), TextCodec::encode(PageSkeleton::text(), TextFormat{}));
    EXPECT_EQ(window->document().path(), page) << "opened in the editor";
    waitUntilShown({QStringLiteral("img"), QStringLiteral("about.html"), QStringLiteral("index.html")});
    EXPECT_TRUE(tree()
                    ->model()
                    ->index(1, 0, tree()->rootIndex())
                    .data(Qt::AccessibleTextRole)
                    .toString()
                    .endsWith(QStringLiteral("ページ、編集中")));

    dialogs.inputAnswers.enqueue(QStringLiteral("index.html"));
    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    run("SiteNewPage");
    EXPECT_TRUE(lastError().contains(QStringLiteral("もう使われています"))) << lastError().toStdString();
    QFile kept(QDir(site).filePath(QStringLiteral("index.html")));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "<p>top</p>");
}

TEST_F(SitePanelTest, RenameAndDeleteToTheTrashAskFirstAndLeaveTheEditedPageAlone)
{
    write(QStringLiteral("old.html"), "<p>old</p>");
    waitUntilShown({QStringLiteral("img"), QStringLiteral("index.html"), QStringLiteral("old.html")});
    choose(QStringLiteral("old.html"));
    dialogs.inputAnswers.enqueue(QStringLiteral("index.html"));
    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    run("SiteRename");
    EXPECT_TRUE(lastError().contains(QStringLiteral("もう使われています")));
    // F2 in the tree, as the keyboard reaches the command.
    window->activateWindow();
    tree()->setFocus();
    dialogs.inputAnswers.enqueue(QStringLiteral("new.html"));
    QTest::keyClick(tree(), Qt::Key_F2);
    waitUntilShown({QStringLiteral("img"), QStringLiteral("index.html"), QStringLiteral("new.html")});

    choose(QStringLiteral("new.html"));
    dialogs.messageAnswers.enqueue(DialogButton::No);
    run("SiteDelete");
    EXPECT_TRUE(QFile::exists(QDir(site).filePath(QStringLiteral("new.html"))));
    EXPECT_EQ(dialogs.messages.last().defaultButton, DialogButton::Cancel);
    dialogs.messageAnswers.enqueue(DialogButton::Yes);
    QTest::keyClick(tree(), Qt::Key_Delete);
    EXPECT_FALSE(QFile::exists(QDir(site).filePath(QStringLiteral("new.html"))));
    EXPECT_TRUE(QFile::exists(trashHome.filePath(QStringLiteral("Trash/files/new.html")))) << "in the trash, not gone";
    waitUntilShown({QStringLiteral("img"), QStringLiteral("index.html")});

    // The page being edited keeps its name and its file.
    tree()->setCurrentIndex(tree()->model()->index(1, 0, tree()->rootIndex()));
    emit tree()->activated(tree()->currentIndex());
    ASSERT_EQ(window->document().path(), QDir(site).filePath(QStringLiteral("index.html")));
    const qsizetype asked = dialogs.messages.size();
    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    run("SiteDelete");
    ASSERT_EQ(dialogs.messages.size(), asked + 1);
    EXPECT_TRUE(lastError().contains(QStringLiteral("編集中"))) << "refused without a question";
    EXPECT_TRUE(QFile::exists(QDir(site).filePath(QStringLiteral("index.html"))));
}

TEST_F(SitePanelTest, ANameThatIsNotUtf8IsToldOfSinceTheTreeCannotShowIt)
{
    waitUntilShown({QStringLiteral("img"), QStringLiteral("index.html")});
    // 表紙.htm in Shift_JIS, as a Windows archive leaves it.
    const QByteArray name = QFile::encodeName(site) + "/\x95\x5c\x8e\x86.htm";
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    auto *notice = control<QLabel>(QStringLiteral("SiteNotice"));
    EXPECT_TRUE(eventually([&] { return notice->text().contains(QStringLiteral("表紙.htm")); }))
        << notice->text().toStdString();
    ::unlink(name.constData()); // Qt cannot name it to remove it with the scratch folder
    EXPECT_TRUE(eventually([&] { return notice->isHidden(); }));
}

TEST_F(SitePanelTest, TheTreeFollowsTheFolderAndHidesOwnFilesExclusionsAndHiddenFilesUnlessAsked)
{
    write(QStringLiteral(".htaccess"), "deny");
    write(QStringLiteral("Thumbs.db"), "x");
    write(QStringLiteral("page.bak"), "x");
    waitUntilShown({QStringLiteral("img"), QStringLiteral("index.html")});
    // Another program adds a file and removes one.
    write(QStringLiteral("added.html"), "<p>new</p>");
    QFile::remove(QDir(site).filePath(QStringLiteral("index.html")));
    waitUntilShown({QStringLiteral("img"), QStringLiteral("added.html")});

    control<QCheckBox>(QStringLiteral("SiteHiddenFiles"))->click();
    waitUntilShown({QStringLiteral("img"), QStringLiteral(".htaccess"), QStringLiteral("added.html")});

    // The panel's state comes back with the next start.
    trigger(QStringLiteral("mnuSitePanel"));
    EXPECT_FALSE(panel()->isVisible());
    trigger(QStringLiteral("mnuSitePanel"));
    createWindows();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_TRUE(action(QStringLiteral("mnuSitePanel"))->isChecked());
    EXPECT_EQ(panel()->site().root(), site);
    waitUntilShown({QStringLiteral("img"), QStringLiteral(".htaccess"), QStringLiteral("added.html")});
}

TEST_F(SitePanelTest, ThePublishSourceHoldingThePageIsTheSiteAndThePanelSetsIt)
{
    auto *transfer = window->findChild<TransferWindow *>();
    ASSERT_NE(transfer, nullptr);
    const auto click = [transfer](const char *name) {
        transfer->findChild<QAbstractButton *>(QString::fromLatin1(name))->click();
    };
    const auto type = [transfer](const char *name, const QString &text) {
        transfer->findChild<QLineEdit *>(QString::fromLatin1(name))->setText(text);
    };
    click("Button6"); // 追加
    type("Edit1", QStringLiteral("home"));
    type("Edit2", QStringLiteral("127.0.0.1"));
    type("Edit3", QStringLiteral("alice"));
    type("Edit4", QStringLiteral("secret"));
    click("Button7"); // 保存
    ASSERT_EQ(transfer->siteBook().count(), 1);

    waitUntilShown({QStringLiteral("img"), QStringLiteral("index.html")});
    choose(QStringLiteral("img"));
    run("SitePublishSource");
    EXPECT_EQ(transfer->siteSettings().settings(QStringLiteral("home")).site.localRoot, site + QStringLiteral("/img"));

    // A page in the 公開元 makes it the site; one outside leaves the folder opened as the site.
    write(QStringLiteral("img/album.html"), "<p>album</p>");
    window->openStartupFile(site + QStringLiteral("/img/album.html"));
    EXPECT_EQ(panel()->site().root(), site + QStringLiteral("/img"));
    QFile outside(workPath(QStringLiteral("other.html")));
    ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
    outside.write("<p>other</p>");
    outside.close();
    window->openStartupFile(outside.fileName());
    EXPECT_EQ(panel()->site().root(), site);
}

TEST_F(SitePanelTest, APictureShowsInThePreviewAndDragsAsAFile)
{
    waitUntilShown({QStringLiteral("img"), QStringLiteral("index.html")});
    tree()->expand(tree()->model()->index(0, 0, tree()->rootIndex()));
    ASSERT_TRUE(
        eventually([&] { return tree()->model()->rowCount(tree()->model()->index(0, 0, tree()->rootIndex())) == 1; }));
    const QModelIndex image = tree()->model()->index(0, 0, tree()->model()->index(0, 0, tree()->rootIndex()));
    EXPECT_TRUE(image.flags() & Qt::ItemIsDragEnabled);
    EXPECT_FALSE(tree()->model()->index(1, 0, tree()->rootIndex()).flags() & Qt::ItemIsDragEnabled)
        << "a page does not drag";
    const std::unique_ptr<QMimeData> drag(tree()->model()->mimeData({image}));
    ASSERT_EQ(drag->urls().size(), 1);
    EXPECT_EQ(drag->urls().first().toLocalFile(), QDir(site).filePath(QStringLiteral("img/cat.gif")));
    emit tree()->activated(image);
    ASSERT_FALSE(engine->navigations.isEmpty());
    EXPECT_EQ(engine->navigations.last().address,
              QUrl::fromLocalFile(QDir(site).filePath(QStringLiteral("img/cat.gif"))).toString());
}

} // namespace
