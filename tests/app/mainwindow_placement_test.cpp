// The main window's size, place and editor height across a close and the next start.
#include "app/windowplacement.h"
#include "support/mainwindowfixture.h"

#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QTest>

namespace {

class MainWindowPlacement : public MainWindowFixture
{
protected:
    QString placementFile() const { return QDir(dataHome.path()).filePath(WindowPlacement::kFileName); }
    QRect available() const { return QGuiApplication::primaryScreen()->availableGeometry(); }

    // Closes the window as the user would (nothing unsaved, so nobody is asked) and starts the
    // program again over the same data folder.
    void closeAndRestart()
    {
        ASSERT_TRUE(window->close());
        window.reset();
        createWindows();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void writePlacement(const QByteArray &text)
    {
        QFile file(placementFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    // The designed layout, as a first start opens it: centred, give or take the window frame,
    // which is not known before the window is first shown.
    void expectDesignedLayout(const char *what)
    {
        const QRect screen = available();
        const QRect frame = window->frameGeometry();
        EXPECT_LE(qAbs(frame.center().x() - screen.center().x()), 8) << what;
        EXPECT_LE(qAbs(frame.center().y() - screen.center().y()), 8) << what;
        EXPECT_EQ(window->centralWidget()->size(), QSize(634, 422)) << what;
        expectEditorAndPreviewShareEvenly(what);
        EXPECT_FALSE(window->isMaximized()) << what;
    }

    void expectEditorAndPreviewShareEvenly(const char *what)
    {
        const QList<int> sizes = window->view().splitter->sizes();
        ASSERT_EQ(sizes.size(), 2) << what;
        EXPECT_LE(qAbs(sizes.at(0) - sizes.at(1)), 1) << what << ": " << sizes.at(0) << " / " << sizes.at(1);
    }
};

TEST_F(MainWindowPlacement, TheFirstStartIsTheDesignedLayoutCentred)
{
    ASSERT_FALSE(QFile::exists(placementFile()));
    expectDesignedLayout("first start");
    // Maximised (or made larger) at once, the editor is still half of it, not four lines.
    window->resize(available().size() - QSize(40, 40));
    QCoreApplication::processEvents();
    ASSERT_GT(window->view().splitter->height(), 600) << "the test screen is too small";
    expectEditorAndPreviewShareEvenly("grown");
}

TEST_F(MainWindowPlacement, SizePlaceAndEditorHeightComeBackAtTheNextStart)
{
    const QRect screen = available();
    const QRect chosen(screen.left() + 20, screen.top() + 30, 700, 500);
    ASSERT_TRUE(screen.contains(chosen)) << "the test screen is too small";
    window->setGeometry(chosen);
    QCoreApplication::processEvents();
    window->view().setEditorHeight(150);
    ASSERT_EQ(window->view().editorHeight(), 150);

    closeAndRestart();
    EXPECT_EQ(window->geometry(), chosen);
    EXPECT_EQ(window->view().editorHeight(), 150);
    EXPECT_FALSE(window->isMaximized());

    // 最大化 is remembered like a dragged height; a later close stores what is there then.
    trigger(QStringLiteral("mnuWebMAX"));
    closeAndRestart();
    EXPECT_EQ(window->view().editorHeight(), 1);
    EXPECT_EQ(window->geometry(), chosen);
}

TEST_F(MainWindowPlacement, AMaximisedWindowOpensMaximisedAndKeepsItsNormalSize)
{
    const QRect screen = available();
    const QRect normal(screen.left() + 10, screen.top() + 10, 660, 480);
    window->setGeometry(normal);
    QCoreApplication::processEvents();
    window->showMaximized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(window->isMaximized());
    // Taller than the editor could be in the normal size. Offscreen the window grows at once;
    // an X server without a window manager never maximises anything.
    const QFrame *panel = window->view().panel;
    if (!QTest::qWaitFor([&] { return panel->height() - 60 > normal.height(); }, 1000))
        GTEST_SKIP() << "the platform did not maximise the window";
    const int editorHeight = panel->height() - 60;
    window->view().setEditorHeight(editorHeight);

    closeAndRestart();
    EXPECT_TRUE(window->isMaximized());
    EXPECT_EQ(window->view().editorHeight(), editorHeight);
    window->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(window->geometry(), normal);
}

TEST_F(MainWindowPlacement, ADamagedOrUnusableFileGivesTheDesignedLayout)
{
    const QRect screen = available();
    const auto placement = [](QRect geometry, int editorHeight) {
        return WindowPlacement{geometry, false, editorHeight}.toText();
    };
    const struct
    {
        const char *what;
        QByteArray text;
    } cases[] = {
        {"binary noise", QByteArray("\x89PNG\r\n\x1a\n\x00\x00", 10)},
        {"cut short", placement(QRect(screen.topLeft(), QSize(700, 500)), 100).left(30)},
        {"negative size", placement(QRect(screen.left() + 10, screen.top() + 10, -700, -500), 100)},
        {"off every screen", placement(QRect(screen.right() + 500, screen.top() + 10, 700, 500), 100)},
        {"above the screen", placement(QRect(screen.left() + 10, screen.top() - 2000, 700, 500), 100)},
        {"editor taller than the window", placement(QRect(screen.left() + 10, screen.top() + 10, 700, 500), 900)},
        {"editor height negative", placement(QRect(screen.left() + 10, screen.top() + 10, 700, 500), -3)},
    };
    for (const auto &c : cases) {
        writePlacement(c.text);
        window.reset();
        createWindows();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        expectDesignedLayout(c.what);
        EXPECT_EQ(dialogs.messages.size(), 0) << c.what;
    }

    // Closing replaces the damaged file with a good one.
    ASSERT_TRUE(window->close());
    const auto stored = WindowPlacement::read(placementFile());
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->editorHeight, window->view().editorHeight());
    EXPECT_GT(stored->editorHeight, MainWindowView::kEditorHeight);
}

TEST_F(MainWindowPlacement, AFolderThatCannotTakeTheFileDoesNotKeepTheWindowOpen)
{
    ASSERT_TRUE(QDir(dataHome.path()).mkdir(WindowPlacement::kFileName));
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(dialogs.messages.size(), 0);
    EXPECT_TRUE(QFileInfo(placementFile()).isDir());
}

} // namespace
