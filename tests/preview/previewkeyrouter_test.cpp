#include "preview/previewkeyrouter.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// A focusable widget that keeps the keys it receives and claims no shortcut by itself.
class KeyRecorder final : public QWidget
{
public:
    explicit KeyRecorder(QWidget *parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() != Qt::Key_Control)
            keys.append(event->key());
    }
};

} // namespace

// The router on plain widgets: a window with a Ctrl+S and a Delete shortcut, a widget outside
// the pane, and one inside the pane standing in for the page.
class PreviewKeyRouterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto *central = new QWidget(&window);
        auto *layout = new QVBoxLayout(central);
        outside = new KeyRecorder(central);
        pane = new QWidget(central);
        page = new KeyRecorder(pane);
        layout->addWidget(outside);
        layout->addWidget(pane);
        window.setCentralWidget(central);
        save = addShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
        erase = addShortcut(QKeySequence(Qt::Key_Delete));
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QAction *addShortcut(const QKeySequence &keys)
    {
        auto *action = new QAction(&window);
        action->setShortcut(keys);
        window.addAction(action);
        return action;
    }

    void route(bool acceleratorsToPage)
    {
        router = std::make_unique<PreviewKeyRouter>(pane, acceleratorsToPage);
        qApp->installEventFilter(router.get());
    }

    QMainWindow window;
    KeyRecorder *outside = nullptr;
    QWidget *pane = nullptr;
    KeyRecorder *page = nullptr;
    QAction *save = nullptr;
    QAction *erase = nullptr;
    std::unique_ptr<PreviewKeyRouter> router;
};

TEST_F(PreviewKeyRouterTest, WindowShortcutsWorkInThePaneButPageKeysStayInThePage)
{
    route(true);
    QSignalSpy saved(save, &QAction::triggered);
    QSignalSpy erased(erase, &QAction::triggered);
    page->setFocus();
    QTest::keyClick(page, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(page, Qt::Key_Delete);
    EXPECT_EQ(saved.count(), 1);
    EXPECT_EQ(erased.count(), 0);
    EXPECT_EQ(page->keys, QList<int>{Qt::Key_Delete});

    // Outside the pane nothing changes: the window's shortcut takes the key.
    outside->setFocus();
    QTest::keyClick(outside, Qt::Key_Delete);
    EXPECT_EQ(erased.count(), 1);
    EXPECT_TRUE(outside->keys.isEmpty());
}

TEST_F(PreviewKeyRouterTest, ClaimedAcceleratorsReachNeitherThePageNorTheWindow)
{
    route(false);
    QSignalSpy saved(save, &QAction::triggered);
    page->setFocus();
    QTest::keyClick(page, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(page, Qt::Key_F5);
    QTest::keyClick(page, Qt::Key_X);
    EXPECT_EQ(saved.count(), 0);
    EXPECT_EQ(page->keys, QList<int>{Qt::Key_X});

    outside->setFocus();
    QTest::keyClick(outside, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saved.count(), 1);
}
