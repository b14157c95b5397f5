// The visited-page list on the real browser engine, through the real main window: a page from
// a loopback server reaches the history window and, when the program closes, WEBUrl.ini.
#include "loopbackhttpserver.h"
#include "preview/webliststore.h"
#include "preview/weblistwindow.h"
#include "support/mainwindowfixture.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDate>
#include <QTest>
#include <QTreeWidget>

namespace {

constexpr int kLoadTimeoutMs = 30000;

class WebListWebEngineTest : public MainWindowFixture
{
protected:
    void click(const char *button) { control<QAbstractButton>(QString::fromLatin1(button))->click(); }
};

} // namespace

TEST_F(WebListWebEngineTest, AVisitedPageIsInTheHistoryWindowAndInTheFileAfterTheClose)
{
    LoopbackHttpServer server;
    ASSERT_TRUE(server.start());
    server.addPage(QStringLiteral("/visit.html"),
                   "<html><head><title>Visited \"page\", one</title></head><body>hi</body></html>");
    const QString address = server.url(QStringLiteral("/visit.html"));
    const QString title = QStringLiteral("Visited \"page\", one");
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));

    click("RadioButton1");
    click("RadioButton3");
    control<QComboBox>(QStringLiteral("cmbURL"))->setEditText(address);
    click("Button1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->webLists().webHistory.isEmpty(); }, kLoadTimeoutMs));

    bool shown = false;
    dialogs.dialogScripts.enqueue([&](QDialog *dialog) {
        auto *tree = dialog->findChild<QTreeWidget *>(QStringLiteral("TreeView1"));
        ASSERT_NE(tree, nullptr);
        ASSERT_EQ(tree->topLevelItemCount(), 1);
        EXPECT_EQ(tree->topLevelItem(0)->text(0), today);
        ASSERT_EQ(tree->topLevelItem(0)->childCount(), 1);
        EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), title);
        shown = true;
        dialog->reject(); // the close box: nothing is written now
    });
    click("Button4");
    EXPECT_TRUE(shown);
    EXPECT_FALSE(QFile::exists(QDir(dataHome.path()).filePath(WebListStore::kHistoryFileName)));

    ASSERT_TRUE(window->close());
    EXPECT_EQ(WebListStore::read(QDir(dataHome.path()).filePath(WebListStore::kHistoryFileName)),
              QStringList{WebListStore::line(today, title, address)});
}
