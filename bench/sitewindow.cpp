#include "sitewindow.h"

#include "app/mainwindow.h"

#include <QAction>
#include <QTest>

namespace bench {

namespace {

// The site panel reads its folders and the preview's engine finishes its first page in the
// background; a second is more than either takes.
constexpr int kSettleMs = 1000;

} // namespace

SiteWindow::SiteWindow(const QString &root, const char *panelAction)
{
    m_program.showAndWarmUp(m_screen);
    m_program.openSiteFolder(root);
    settle();
    if (!panelAction)
        return;
    m_program.window().action(QString::fromLatin1(panelAction))->trigger();
    settle();
}

QWidget &SiteWindow::widget() const
{
    return m_program.window();
}

void SiteWindow::settle()
{
    QTest::qWait(kSettleMs);
}

} // namespace bench
