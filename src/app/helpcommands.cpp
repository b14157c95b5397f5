#include "app/helpcommands.h"

#include "app/aboutbox.h"
#include "app/helpwindow.h"
#include "common/commanddispatcher.h"
#include "common/usererror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

HelpCommands::HelpCommands(CommandDispatcher &commands, AboutBox &about, QWidget &window)
    : QObject(&window), m_about(about), m_window(window), m_collectionPath(defaultCollectionPath())
{
    setObjectName(QStringLiteral("HelpCommands"));
    commands.add(QStringLiteral("Help1Click"), [this](int) { showHelp(); });
    commands.add(QStringLiteral("About1Click"), [this](int) { showAbout(); });
}

QString HelpCommands::defaultCollectionPath()
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString beside = programFolder.filePath(kCollectionName);
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed =
        QDir::cleanPath(programFolder.filePath(QStringLiteral("../share/qzweb/") + kCollectionName));
    return QFileInfo::exists(installed) ? installed : beside;
}

void HelpCommands::showHelp()
{
    if (!m_helpWindow) {
        if (!QFileInfo(m_collectionPath).isFile())
            throw UserError(
                QStringLiteral("ヘルプファイルが見つかりません (%1)").arg(QDir::toNativeSeparators(m_collectionPath)));
        m_helpWindow = new HelpWindow(m_collectionPath, &m_window);
        m_helpWindow->showContents();
    }
    m_helpWindow->show();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
}

void HelpCommands::showAbout()
{
    m_about.showCentred();
}

HelpWindow *HelpCommands::helpWindow() const
{
    return m_helpWindow;
}
