#include "app/helpwindow.h"

#include "app/helpcommands.h"
#include "app/mainmenu.h"
#include "support/mainwindowfixture.h"

#include <QAbstractButton>
#include <QHelpContentWidget>
#include <QHelpIndexWidget>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>

namespace {

class HelpWindowTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        commands = window->findChild<HelpCommands *>();
        ASSERT_NE(commands, nullptr);
        commands->setCollectionPath(QStringLiteral(QZWEB_HELP_COLLECTION));
    }

    // Opens the help from its menu item and waits until its contents are there.
    HelpWindow *openHelp()
    {
        trigger(QStringLiteral("Help2"));
        HelpWindow *help = commands->helpWindow();
        if (!help)
            return nullptr;
        if (!help->contentsCreated()) {
            QSignalSpy ready(help, &HelpWindow::contentsReady);
            ready.wait(10000);
        }
        return help;
    }

    template<typename T>
    T *part(HelpWindow *help, const char *name)
    {
        return help->findChild<T *>(QString::fromLatin1(name));
    }

    // The page names (file names) the search list shows, in order.
    QStringList searchFor(HelpWindow *help, const QString &query)
    {
        auto *text = part<QLineEdit>(help, "HelpSearchText");
        text->setText(query);
        part<QAbstractButton>(help, "HelpSearchButton")->click();
        QStringList pages;
        auto *results = part<QListWidget>(help, "HelpSearchResults");
        for (int i = 0; i < results->count(); ++i)
            pages.append(QUrl(results->item(i)->data(Qt::UserRole).toString()).fileName());
        return pages;
    }

    HelpCommands *commands = nullptr;
};

TEST_F(HelpWindowTest, OpensAtItsContentsWithTheStartPage)
{
    HelpWindow *help = openHelp();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    ASSERT_TRUE(help->contentsCreated());
    EXPECT_EQ(part<QTabWidget>(help, "HelpTabs")->currentIndex(), HelpWindow::kContentsTab);

    auto *contents = part<QHelpContentWidget>(help, "HelpContents");
    ASSERT_NE(contents, nullptr);
    const QModelIndex top = contents->model()->index(0, 0);
    EXPECT_EQ(top.data().toString(), QStringLiteral("QZWeb ヘルプ"));
    QStringList chapters;
    for (int row = 0; row < contents->model()->rowCount(top); ++row)
        chapters.append(contents->model()->index(row, 0, top).data().toString());
    EXPECT_TRUE(chapters.contains(QStringLiteral("「文字」メニュー")));
    EXPECT_TRUE(chapters.contains(QStringLiteral("ファイル転送（RODav）")));
    EXPECT_TRUE(contents->isExpanded(top));

    auto *page = part<QTextBrowser>(help, "HelpPage");
    EXPECT_EQ(page->source(), help->startPage());
    EXPECT_TRUE(page->toPlainText().contains(QStringLiteral("ホームページ"))) << page->toPlainText().toStdString();

    // Asked for again, it is the same window.
    trigger(QStringLiteral("Help2"));
    EXPECT_EQ(commands->helpWindow(), help);
}

TEST_F(HelpWindowTest, SearchFindsJapaneseWordsAndOpensThePageFound)
{
    HelpWindow *help = openHelp();
    ASSERT_NE(help, nullptr);
    struct Case
    {
        const char *query;
        const char *page; // must be among the pages found
    };
    const Case cases[] = {
        {"太字", "moji.html"},
        {"表", "hyo.html"},
        {"ﾊﾟｰﾐｼｮﾝ", "transfer.html"},
        {"ftp", "transfer.html"},
        {"QZWEB.ini", "files.html"},
        {"反映 F5", "preview.html"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.query);
        const QStringList pages = searchFor(help, QString::fromUtf8(c.query));
        EXPECT_TRUE(pages.contains(QString::fromLatin1(c.page))) << pages.join(QLatin1Char(' ')).toStdString();
    }
    EXPECT_EQ(searchFor(help, QStringLiteral("太字")).value(0), QStringLiteral("moji.html"));
    EXPECT_TRUE(searchFor(help, QStringLiteral("どこにも書いていない言葉")).isEmpty());
    EXPECT_EQ(part<QLabel>(help, "HelpSearchStatus")->text(), QStringLiteral("見つかりませんでした"));

    auto *results = part<QListWidget>(help, "HelpSearchResults");
    searchFor(help, QStringLiteral("太字"));
    ASSERT_GT(results->count(), 0);
    emit results->itemActivated(results->item(0));
    auto *page = part<QTextBrowser>(help, "HelpPage");
    EXPECT_EQ(page->source().fileName(), QStringLiteral("moji.html"));
    EXPECT_EQ(page->textCursor().selectedText(), QStringLiteral("太字"));
}

TEST_F(HelpWindowTest, TheIndexLeadsFromAKeywordToItsPage)
{
    HelpWindow *help = openHelp();
    ASSERT_NE(help, nullptr);
    auto *index = part<QHelpIndexWidget>(help, "HelpIndex");
    ASSERT_NE(index, nullptr);
    // Qt Test's QTRY_ macros report to Qt Test, not to GoogleTest: a failure would end the test
    // quietly as a pass.
    ASSERT_TRUE(QTest::qWaitFor([index] { return index->model()->rowCount() > 0; }, 10000));
    part<QLineEdit>(help, "HelpIndexFilter")->setText(QStringLiteral("水平線"));
    ASSERT_TRUE(
        QTest::qWaitFor([index] { return index->currentIndex().data().toString() == QStringLiteral("水平線"); }, 5000))
        << index->currentIndex().data().toString().toStdString();
    index->activateCurrentItem();
    EXPECT_EQ(part<QTextBrowser>(help, "HelpPage")->source().fileName(), QStringLiteral("sonyu.html"));
}

TEST_F(HelpWindowTest, TheManualSpeaksOfEveryMenuCommandAndButton)
{
    HelpWindow *help = openHelp();
    ASSERT_NE(help, nullptr);
    QStringList captions;
    std::function<void(const QList<MenuEntry> &)> collect = [&](const QList<MenuEntry> &entries) {
        for (const MenuEntry &e : entries) {
            if (e.isSubmenu())
                collect(e.items);
            if (!e.isSeparator() && !e.caption.isEmpty())
                captions.append(e.caption);
        }
    };
    collect(MainMenu::menuBar());
    captions += {QStringLiteral("反映"),
                 QStringLiteral("お気に入り"),
                 QStringLiteral("WEB履歴"),
                 QStringLiteral("ｵﾝﾗｲﾝ"),
                 QStringLiteral("ｵﾌﾗｲﾝ"),
                 QStringLiteral("前のﾍﾟｰｼﾞへ"),
                 QStringLiteral("次のﾍﾟｰｼﾞへ"),
                 QStringLiteral("wep表示をやめる")};
    ASSERT_GT(captions.size(), 80);
    static const QRegularExpression accessKey(QStringLiteral("\\(&.\\)"));
    for (QString caption : captions) {
        caption.remove(accessKey);
        EXPECT_FALSE(searchFor(help, caption).isEmpty()) << caption.toStdString();
    }
}

TEST_F(HelpWindowTest, AMissingCollectionIsReportedWithItsPlace)
{
    const QString missing = workPath(QStringLiteral("gone/qzweb.qhc"));
    commands->setCollectionPath(missing);
    trigger(QStringLiteral("Help2"));
    EXPECT_EQ(commands->helpWindow(), nullptr);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().icon, DialogIcon::Error);
    EXPECT_TRUE(dialogs.messages.first().text.contains(QStringLiteral("ヘルプファイルが見つかりません")));
    EXPECT_TRUE(dialogs.messages.first().text.contains(missing));
}

TEST_F(HelpWindowTest, ADamagedCollectionIsReportedNotShown)
{
    const QString damaged = workPath(QStringLiteral("qzweb.qhc"));
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a help collection");
    file.close();
    commands->setCollectionPath(damaged);
    trigger(QStringLiteral("Help2"));
    EXPECT_EQ(commands->helpWindow(), nullptr);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().icon, DialogIcon::Error);
}

} // namespace
