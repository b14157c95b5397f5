// サイト内検索 through the real window, on a site folder opened with サイトのフォルダを開く.
#include "app/sitereplacecommands.h"
#include "app/sitereplacedialog.h"
#include "app/sitesearchcommands.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "support/fakebrowserengine.h"
#include "support/mainwindowfixture.h"

#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QTreeWidget>

namespace {

class SiteSearchTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        site = workPath(QStringLiteral("site"));
        ASSERT_TRUE(QDir().mkpath(site + QStringLiteral("/.git")));
    }
    void TearDown() override
    {
        EXPECT_EQ(dialogs.unexpected, 0);
        MainWindowFixture::TearDown();
    }
    BrowserEngine *makePreviewEngine() override { return new FakeBrowserEngine; }

    void write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(QDir(site).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray readSiteFile(const QString &name) const
    {
        QFile file(QDir(site).filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList rows() const
    {
        QStringList texts;
        auto *tree = control<QTreeWidget>(QStringLiteral("SiteSearchResults"));
        for (int page = 0; page < tree->topLevelItemCount(); ++page) {
            texts.append(tree->topLevelItem(page)->text(0));
            for (int row = 0; row < tree->topLevelItem(page)->childCount(); ++row)
                texts.append(tree->topLevelItem(page)->child(row)->text(0));
        }
        return texts;
    }

    QString site;
};

TEST_F(SiteSearchTest, FindsInEveryPageAndOpensTheMatch)
{
    write(QStringLiteral("a.html"), QByteArray("<p>\x93\xfa\x96\x7b cat</p>\r\n<p>two</p>")); // 日本 in Shift_JIS
    write(QStringLiteral("b.html"), QStringLiteral("<p>一</p>\n<p>猫 cat</p>\n").toUtf8());
    write(QStringLiteral("c.html"), QByteArray("<p>cat on disk</p>"));
    write(QStringLiteral("x.html"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0cat", 15));
    write(QStringLiteral(".git/old.html"), QByteArray("<p>cat</p>"));
    dialogs.fileAnswers.enqueue(site);
    trigger(QStringLiteral("mnuSiteFolder"));
    window->openStartupFile(QDir(site).filePath(QStringLiteral("c.html")));
    EditorStack &editor = *window->view().editor;
    EditorAdapter(editor).setSelection(0, int(EditorAdapter(editor).text().size()));
    EditorAdapter(editor).replaceSelection(QStringLiteral("<p>unsaved cat</p>"));

    trigger(QStringLiteral("mnuSiteSearch"));
    ASSERT_TRUE(control<QDockWidget>(QStringLiteral("SiteSearchDock"))->isVisible());
    auto *edit = control<QLineEdit>(QStringLiteral("SiteSearchEdit"));
    EXPECT_TRUE(edit->hasFocus());
    auto *status = control<QLabel>(QStringLiteral("SiteSearchStatus"));

    // A wrong expression is told in the line, not in a box.
    edit->setText(QStringLiteral("cat("));
    control<QCheckBox>(QStringLiteral("SiteSearchRegex"))->setChecked(true);
    control<QPushButton>(QStringLiteral("SiteSearchStart"))->click();
    EXPECT_FALSE(status->text().isEmpty());
    EXPECT_TRUE(rows().isEmpty());

    control<QCheckBox>(QStringLiteral("SiteSearchRegex"))->setChecked(false);
    edit->setText(QStringLiteral("cat"));
    auto *commands = window->findChild<SiteSearchCommands *>();
    ASSERT_NE(commands, nullptr);
    QSignalSpy finished(commands, &SiteSearchCommands::finished);
    control<QPushButton>(QStringLiteral("SiteSearchStart"))->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }));
    EXPECT_EQ(rows(),
              (QStringList{QStringLiteral("a.html (1 件)"),
                           QStringLiteral("1 行目: <p>日本 cat</p>"),
                           QStringLiteral("b.html (1 件)"),
                           QStringLiteral("2 行目: <p>猫 cat</p>"),
                           QStringLiteral("c.html (1 件)"),
                           QStringLiteral("1 行目: <p>unsaved cat</p>")}))
        << "the unsaved text, not the file; neither the binary file nor the excluded folder";
    EXPECT_EQ(status->text(),
              QStringLiteral("3 ページで 3 件見つかりました（テキストとして読めない 1 ファイルは飛ばしました）"));

    // Enter on b.html's match: the page opens with the match selected.
    auto *tree = control<QTreeWidget>(QStringLiteral("SiteSearchResults"));
    tree->setCurrentItem(tree->topLevelItem(1)->child(0));
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(window->document().path(), QDir(site).filePath(QStringLiteral("b.html")));
    const EditorAdapter opened(*window->view().editor);
    EXPECT_EQ(opened.selectedText(), QStringLiteral("cat"));
    EXPECT_EQ(opened.text().indexOf(QStringLiteral("cat")), 15) << "CR LF positions";
}

// サイト内置換: the preview's unticked change is left, a page on disk is rewritten, the open page
// is edited in its tab (unsaved), and 元に戻す puts both back.
TEST_F(SiteSearchTest, ReplacesWhatIsTickedAndTakesItBack)
{
    const QByteArray onDisk("<p>\x93\xfa\x96\x7b cat</p>\n<p>cat</p>\n"); // 日本 in Shift_JIS, LF
    write(QStringLiteral("a.html"), onDisk);
    write(QStringLiteral("c.html"), QByteArray("<p>saved</p>"));
    dialogs.fileAnswers.enqueue(site);
    trigger(QStringLiteral("mnuSiteFolder"));
    window->openStartupFile(QDir(site).filePath(QStringLiteral("c.html")));
    EditorAdapter editor(*window->view().editor);
    editor.setSelection(0, int(editor.text().size()));
    editor.replaceSelection(QStringLiteral("<p>unsaved cat</p>"));
    QTextDocument &tab = *window->view().editor->document();

    trigger(QStringLiteral("mnuSiteReplace"));
    auto *replacement = control<QLineEdit>(QStringLiteral("SiteReplaceEdit"));
    EXPECT_TRUE(replacement->hasFocus());
    control<QLineEdit>(QStringLiteral("SiteSearchEdit"))->setText(QStringLiteral("cat"));
    replacement->setText(QStringLiteral("犬"));
    QStringList previewed;
    dialogs.dialogScripts.enqueue([&previewed](QDialog *dialog) {
        auto *tree = dialog->findChild<QTreeWidget *>(QStringLiteral("SiteReplaceChanges"));
        for (int page = 0; page < tree->topLevelItemCount(); ++page) {
            previewed.append(tree->topLevelItem(page)->text(0));
            for (int row = 0; row < tree->topLevelItem(page)->childCount(); ++row) {
                const QTreeWidgetItem *change = tree->topLevelItem(page)->child(row);
                previewed.append(change->text(0) + QLatin1Char('|') + change->text(1) + QLatin1Char('|')
                                 + change->text(2));
            }
        }
        tree->topLevelItem(0)->child(1)->setCheckState(0, Qt::Unchecked);
        dialog->findChild<QPushButton *>(QStringLiteral("SiteReplaceApply"))->click();
    });
    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    auto *commands = window->findChild<SiteReplaceCommands *>();
    ASSERT_NE(commands, nullptr);
    QSignalSpy finished(commands, &SiteReplaceCommands::finished);
    control<QPushButton>(QStringLiteral("SiteReplacePreview"))->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }));

    EXPECT_EQ(previewed,
              (QStringList{QStringLiteral("a.html (2 件)"),
                           QStringLiteral("1 行目|<p>日本 cat</p>|<p>日本 犬</p>"),
                           QStringLiteral("2 行目|<p>cat</p>|<p>犬</p>"),
                           QStringLiteral("c.html (1 件)"),
                           QStringLiteral("1 行目|<p>unsaved cat</p>|<p>unsaved 犬</p>")}));
    EXPECT_EQ(readSiteFile(QStringLiteral("a.html")), QByteArray("<p>\x93\xfa\x96\x7b \x8c\xa2</p>\n<p>cat</p>\n"));
    EXPECT_EQ(editor.text(), QStringLiteral("<p>unsaved 犬</p>"));
    EXPECT_TRUE(tab.isModified());
    // One edit: one Undo takes it all back.
    tab.undo();
    EXPECT_EQ(editor.text(), QStringLiteral("<p>unsaved cat</p>"));
    tab.redo();
    EXPECT_EQ(readSiteFile(QStringLiteral("c.html")), QByteArray("<p>saved</p>"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages.last().text.startsWith(QStringLiteral("2 ページで 2 件置換しました。")))
        << dialogs.messages.last().text.toStdString();
    QAction *undo = window->action(QStringLiteral("mnuSiteReplaceUndo"));
    ASSERT_TRUE(undo->isEnabled());

    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    undo->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 2; }));
    EXPECT_EQ(readSiteFile(QStringLiteral("a.html")), onDisk);
    EXPECT_EQ(editor.text(), QStringLiteral("<p>unsaved cat</p>"));
    EXPECT_FALSE(undo->isEnabled());
}

// A double-click opens a match as Enter does; 中止 drops a run: none of its pages come after it.
TEST_F(SiteSearchTest, ADoubleClickOpensAMatchAndStopDropsTheRun)
{
    for (int i = 0; i < 200; ++i)
        write(QStringLiteral("p%1.html").arg(i, 3, 10, QLatin1Char('0')), QByteArray("<p>x</p>\n<p>cat</p>\n"));
    dialogs.fileAnswers.enqueue(site);
    trigger(QStringLiteral("mnuSiteFolder"));
    trigger(QStringLiteral("mnuSiteSearch"));
    control<QLineEdit>(QStringLiteral("SiteSearchEdit"))->setText(QStringLiteral("cat"));
    auto *start = control<QPushButton>(QStringLiteral("SiteSearchStart"));
    auto *status = control<QLabel>(QStringLiteral("SiteSearchStatus"));
    auto *commands = window->findChild<SiteSearchCommands *>();
    QSignalSpy finished(commands, &SiteSearchCommands::finished);

    start->click();
    control<QPushButton>(QStringLiteral("SiteSearchStop"))->click();
    QTest::qWait(300);
    EXPECT_EQ(status->text(), QStringLiteral("中止しました"));
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_EQ(finished.count(), 0);

    start->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }));
    EXPECT_EQ(rows().size(), 400) << "every page in the site's order, its match under it";
    EXPECT_EQ(rows().at(398), QStringLiteral("p199.html (1 件)"));
    auto *tree = control<QTreeWidget>(QStringLiteral("SiteSearchResults"));
    QTreeWidgetItem *match = tree->topLevelItem(1)->child(0);
    tree->scrollToItem(match);
    const QPoint at = tree->visualItemRect(match).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(window->document().path(), QDir(site).filePath(QStringLiteral("p001.html")));
    EXPECT_EQ(EditorAdapter(*window->view().editor).selectedText(), QStringLiteral("cat"));
}

} // namespace
