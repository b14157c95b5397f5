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
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

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

TEST_F(SitePanelTest, ARenameOffersToUpdateTheLinksAndUndoTakesTheRenameAndTheLinksBack)
{
    const QByteArray sjisPage = "<meta charset=\"Shift_JIS\">\r\n<a href=\"../about.html\">\x94\x4c</a>\r\n";
    const QString index = QDir(site).filePath(QStringLiteral("index.html"));
    ASSERT_TRUE(QDir(site).mkpath(QStringLiteral("sub")));
    write(QStringLiteral("about.html"), "<p>about</p>");
    write(QStringLiteral("index.html"), "<a href=\"about.html#me\">about</a>");
    write(QStringLiteral("sub/page.html"), sjisPage);
    window->openStartupFile(index);
    ASSERT_EQ(window->document().path(), index);
    waitUntilShown(
        {QStringLiteral("img"), QStringLiteral("sub"), QStringLiteral("about.html"), QStringLiteral("index.html")});

    // Refused before anything moves: a character a server refuses, a folder into itself.
    choose(QStringLiteral("about.html"));
    dialogs.inputAnswers.enqueue(QStringLiteral("a:b.html"));
    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    run("SiteRename");
    EXPECT_TRUE(lastError().contains(QStringLiteral("サーバーで使えない文字"))) << lastError().toStdString();
    choose(QStringLiteral("img"));
    dialogs.fileAnswers.enqueue(QDir(site).filePath(QStringLiteral("img")));
    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    run("SiteMove");
    EXPECT_TRUE(lastError().contains(QStringLiteral("それ自身の中には移動できません"))) << lastError().toStdString();

    // The preview lists the tab and the Shift_JIS page with each link's line before and after.
    QStringList rows;
    dialogs.dialogScripts.enqueue([&rows](QDialog *dialog) {
        auto *changes = dialog->findChild<QTreeWidget *>(QStringLiteral("SiteReplaceChanges"));
        for (int i = 0; i < changes->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *page = changes->topLevelItem(i);
            rows.append(page->text(0));
            for (int j = 0; j < page->childCount(); ++j)
                rows.append(page->child(j)->text(1) + QStringLiteral(" → ") + page->child(j)->text(2));
        }
        dialog->findChild<QPushButton *>(QStringLiteral("SiteReplaceApply"))->click();
    });
    choose(QStringLiteral("about.html"));
    dialogs.inputAnswers.enqueue(QStringLiteral("profile.html"));
    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    const qsizetype asked = dialogs.messages.size();
    run("SiteRename");
    ASSERT_TRUE(eventually([&] { return dialogs.messages.size() > asked; }));
    EXPECT_EQ(
        rows,
        (QStringList{QStringLiteral("index.html (1 件)"),
                     QStringLiteral("<a href=\"about.html#me\">about</a> → <a href=\"profile.html#me\">about</a>"),
                     QStringLiteral("sub/page.html (1 件)"),
                     QStringLiteral("<a href=\"../about.html\">猫</a> → <a href=\"../profile.html\">猫</a>")}));
    EXPECT_TRUE(lastError().contains(QStringLiteral("2 ページのリンク 2 箇所"))) << lastError().toStdString();
    EXPECT_TRUE(QFile::exists(QDir(site).filePath(QStringLiteral("profile.html"))));
    EXPECT_FALSE(QFile::exists(QDir(site).filePath(QStringLiteral("about.html"))));
    const auto sjisBytes = [&] {
        QFile file(QDir(site).filePath(QStringLiteral("sub/page.html")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    };
    EXPECT_EQ(sjisBytes(), QByteArray(sjisPage).replace("about", "profile"));
    EXPECT_EQ(window->document().text()->toPlainText(), QStringLiteral("<a href=\"profile.html#me\">about</a>"))
        << "edited in its tab, unsaved";

    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    run("SiteMoveUndo");
    EXPECT_TRUE(lastError().contains(QStringLiteral("元の名前と場所に戻しました"))) << lastError().toStdString();
    EXPECT_TRUE(QFile::exists(QDir(site).filePath(QStringLiteral("about.html"))));
    EXPECT_FALSE(QFile::exists(QDir(site).filePath(QStringLiteral("profile.html"))));
    EXPECT_EQ(sjisBytes(), sjisPage);
    EXPECT_EQ(window->document().text()->toPlainText(), QStringLiteral("<a href=\"about.html#me\">about</a>"));
    EXPECT_FALSE(panel()->findChild<QAction *>(QStringLiteral("SiteMoveUndo"))->isEnabled()) << "taken back once";

    // Dropped on a folder of the tree, and moved without its links when the user says so.
    dialogs.dialogScripts.enqueue(
        [](QDialog *dialog) { dialog->findChild<QPushButton *>(QStringLiteral("SiteReplaceAlone"))->click(); });
    // The file system model puts what comes back at the end until it sorts again.
    ASSERT_TRUE(eventually([&] { return shown().contains(QStringLiteral("about.html")); }));
    QAbstractItemModel *model = tree()->model();
    const auto entry = [&](const QString &name) {
        return model->index(int(shown().indexOf(name)), 0, tree()->rootIndex());
    };
    const std::unique_ptr<QMimeData> drag(model->mimeData({entry(QStringLiteral("about.html"))}));
    model->dropMimeData(drag.get(), Qt::MoveAction, -1, -1, entry(QStringLiteral("sub")));
    EXPECT_TRUE(eventually([&] { return QFile::exists(QDir(site).filePath(QStringLiteral("sub/about.html"))); }));
    EXPECT_EQ(sjisBytes(), sjisPage) << "its link left as it was";
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
    // A page drags only to another folder of the tree: it carries no file for the editor to open
    // in place of the page.
    const std::unique_ptr<QMimeData> page(
        tree()->model()->mimeData({tree()->model()->index(1, 0, tree()->rootIndex())}));
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->hasUrls()) << "a page does not drag into the editor";
    const std::unique_ptr<QMimeData> drag(tree()->model()->mimeData({image}));
    ASSERT_EQ(drag->urls().size(), 1);
    EXPECT_EQ(drag->urls().first().toLocalFile(), QDir(site).filePath(QStringLiteral("img/cat.gif")));
    emit tree()->activated(image);
    ASSERT_FALSE(engine->navigations.isEmpty());
    EXPECT_EQ(engine->navigations.last().address,
              QUrl::fromLocalFile(QDir(site).filePath(QStringLiteral("img/cat.gif"))).toString());
}

} // namespace
