// サイトチェック through the real window, on a site folder opened with サイトのフォルダを開く: the
// command in 編集 and in the site panel's menu, its rows grouped by file with their counts, and a
// chosen row opening its page with the caret at the place; from the transfer window, the site it
// publishes, its external links asked when chosen (of a web server on loopback, where the site's
// own server is).
#include "app/sitecheckcommands.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "common/datafolder.h"
#include "pagecheck/pagecheckoptions.h"
#include "support/fakebrowserengine.h"
#include "support/mainwindowfixture.h"
#include "transfer/transferwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

namespace {

class SiteCheckWindowTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        site = workPath(QStringLiteral("site"));
        ASSERT_TRUE(QDir().mkpath(site + QStringLiteral("/sub")));
    }
    void TearDown() override
    {
        EXPECT_EQ(dialogs.unexpected, 0);
        MainWindowFixture::TearDown();
    }
    BrowserEngine *makePreviewEngine() override { return new FakeBrowserEngine; }

    void write(const QString &name, const QString &body) const
    {
        QFile file(QDir(site).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\"> <meta "
                                  "name=\"viewport\" content=\"width=device-width\">\n"
                                  "<title>%1</title>\n</head>\n<body>\n%2</body>\n</html>\n")
                       .arg(name, body)
                       .toUtf8());
    }
    // Each file's item and, under it, its rows' level, line and column.
    QStringList rows() const
    {
        QStringList texts;
        auto *list = control<QTreeWidget>(QStringLiteral("SiteCheckList"));
        for (int file = 0; file < list->topLevelItemCount(); ++file) {
            const QTreeWidgetItem *item = list->topLevelItem(file);
            texts.append(item->text(0));
            for (int row = 0; row < item->childCount(); ++row)
                texts.append(QStringLiteral("%1 %2:%3")
                                 .arg(item->child(row)->text(0), item->child(row)->text(1), item->child(row)->text(2)));
        }
        return texts;
    }

    QString site;
};

TEST_F(SiteCheckWindowTest, ListsTheSitesFindingsByFileAndOpensTheChosenPlace)
{
    write(QStringLiteral("index.html"),
          QStringLiteral("<p><a href=\"sub/page.html#gone\">下へ</a> <img src=\"missing.png\" alt=\"無\"></p>\n"));
    write(QStringLiteral("sub/page.html"),
          QStringLiteral("<p>ここ</p>\n<p>\t<a href=\"../Index.html\">上へ</a></p>\n"));
    dialogs.fileAnswers.enqueue(site);
    trigger(QStringLiteral("mnuSiteFolder"));
    auto *commands = window->findChild<SiteCheckCommands *>();
    ASSERT_NE(commands, nullptr);
    QSignalSpy finished(commands, &SiteCheckCommands::finished);

    trigger(QStringLiteral("mnuSiteCheck"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }));
    EXPECT_TRUE(control<QDockWidget>(QStringLiteral("SiteCheckDock"))->isVisible());
    const QStringList expected = {QStringLiteral("index.html（エラー 2 件）"),
                                  QStringLiteral("エラー 8:13"),
                                  QStringLiteral("エラー 8:50"),
                                  QStringLiteral("sub/page.html（エラー 1 件）"),
                                  QStringLiteral("エラー 9:14")};
    EXPECT_EQ(rows(), expected);
    EXPECT_EQ(control<QLabel>(QStringLiteral("SiteCheckStatus"))->text(),
              QStringLiteral("2 ページを調べました。エラー 3 件（全部で 3 件）"));
    auto *list = control<QTreeWidget>(QStringLiteral("SiteCheckList"));
    EXPECT_TRUE(list->hasFocus()) << "the rows take the keyboard when they come";
    EXPECT_TRUE(list->topLevelItem(0)->isExpanded() && list->topLevelItem(1)->isExpanded())
        << "every file's rows are shown";

    // Enter on sub/page.html's row: the page opens with the caret on the address, after the tab.
    list->setCurrentItem(list->topLevelItem(1)->child(0));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(window->document().path(), QDir(site).filePath(QStringLiteral("sub/page.html")));
    const QTextCursor caret = window->page().editor().textCursor();
    EXPECT_EQ(caret.blockNumber(), 8);
    EXPECT_EQ(caret.positionInBlock(), 13);

    // The site panel's menu runs it again, over the page as it now stands in its tab.
    window->page().editor().setPlainText(window->page().editor().toPlainText().replace(
        QStringLiteral("../Index.html"), QStringLiteral("../index.html")));
    auto *again = control<QMenu>(QStringLiteral("SitePopupMenu"))->findChild<QAction *>(QStringLiteral("SiteCheck"));
    ASSERT_NE(again, nullptr);
    again->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 2; }));
    EXPECT_EQ(rows(), expected.mid(0, 3)) << "the unsaved link is right";
}

TEST_F(SiteCheckWindowTest, TheTransferWindowChecksTheSiteItPublishes)
{
    QProcess web;
    web.start(QStringLiteral("python3"), {QStringLiteral(QZ_LINK_SERVER)});
    ASSERT_TRUE(web.waitForReadyRead(10000));
    const int port = web.readLine().trimmed().toInt();
    write(QStringLiteral("index.html"),
          QStringLiteral(
              "<p><img src=\"gone.png\" alt=\"無\"></p>\n<p><a href=\"http://127.0.0.1:%1/missing\">外</a></p>\n")
              .arg(port));
    auto *transfer = window->findChild<TransferWindow *>();
    ASSERT_NE(transfer, nullptr);
    const auto click = [transfer](const char *name) {
        transfer->findChild<QAbstractButton *>(QString::fromLatin1(name))->click();
    };
    click("Button6"); // 追加
    const QList<std::pair<const char *, QString>> fields = {{"Edit1", QStringLiteral("home")},
                                                            {"Edit2", QStringLiteral("127.0.0.1")},
                                                            {"Edit3", QStringLiteral("alice")},
                                                            {"Edit4", QStringLiteral("secret")}};
    for (const auto &[name, text] : fields)
        transfer->findChild<QLineEdit *>(QString::fromLatin1(name))->setText(text);
    click("Button7"); // 保存
    transfer->usePublishSource(site);
    auto *commands = window->findChild<SiteCheckCommands *>();
    QSignalSpy finished(commands, &SiteCheckCommands::finished);

    // No site is open in the main window: the dock checks the transfer window's, then again.
    click("SiteCheckButton");
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }));
    EXPECT_TRUE(control<QDockWidget>(QStringLiteral("SiteCheckDock"))->isVisible());
    const QStringList expected = {QStringLiteral("index.html（エラー 1 件）"), QStringLiteral("エラー 8:14")};
    EXPECT_EQ(rows(), expected);
    auto *external = control<QCheckBox>(QStringLiteral("SiteCheckExternalBox"));
    EXPECT_FALSE(external->isChecked());
    EXPECT_FALSE(web.waitForReadyRead(100)) << "nothing is asked unless chosen";

    // Chosen, and kept for the next start: the link's server is asked (the site's, on loopback).
    external->click();
    EXPECT_TRUE(PageCheckOptions::read(DataFolder::filePath(PageCheckOptions::kFileName)).checkExternalLinks);
    commands->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 2; }));
    EXPECT_EQ(rows(),
              QStringList({QStringLiteral("index.html（エラー 2 件）"),
                           QStringLiteral("エラー 8:14"),
                           QStringLiteral("エラー 9:13")}));
    EXPECT_TRUE(control<QLabel>(QStringLiteral("SiteCheckStatus"))
                    ->text()
                    .endsWith(QStringLiteral("外部リンク 1 個を確かめました")));
    web.kill();
    web.waitForFinished();
}

} // namespace
