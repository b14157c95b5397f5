#include "support/mainwindowfixture.h"

#include "app/appwindows.h"
#include "transfer/transferwindow.h"

#include <QAction>
#include <QTest>

void MainWindowFixture::SetUp()
{
    ASSERT_TRUE(dataHome.isValid());
    ASSERT_TRUE(work.isValid());
    m_savedCurrentPath = QDir::currentPath();
    QDir::setCurrent(work.path());
    qputenv("QZWEB_HOME", dataHome.path().toLocal8Bit());
    createWindows();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
}

void MainWindowFixture::createWindows()
{
    window.reset();
    window.reset(AppWindows::create(dialogs, passwords, makePreviewEngine()));
    const auto unknown = [](const QString &handler) {
        ADD_FAILURE() << "no handler registered for " << handler.toStdString();
    };
    window->dispatcher().setUnknownHandler(unknown);
    if (auto *transfer = window->findChild<TransferWindow *>())
        transfer->dispatcher().setUnknownHandler(unknown);
    window->show();
}

void MainWindowFixture::TearDown()
{
    // Closing goes through the close query; answer nothing and drop the window regardless.
    window.reset();
    QDir::setCurrent(m_savedCurrentPath);
    qunsetenv("QZWEB_HOME");
}

QAction *MainWindowFixture::action(const QString &actionName) const
{
    return window->action(actionName);
}

void MainWindowFixture::trigger(const QString &actionName)
{
    QAction *a = action(actionName);
    ASSERT_NE(a, nullptr) << actionName.toStdString();
    a->trigger();
}
