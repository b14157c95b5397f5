#include "app/sitepanelcommands.h"

#include "app/sitepanel.h"
#include "common/commanddispatcher.h"
#include "common/userdialogs.h"
#include "common/usererror.h"
#include "workspace/sitechoice.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>

SitePanelCommands::SitePanelCommands(CommandDispatcher &commands,
                                     QMainWindow &window,
                                     QAction &toggle,
                                     UserDialogs &dialogs,
                                     const QString &optionsPath,
                                     Links links)
    : QObject(&window), m_window(window), m_toggle(toggle), m_dialogs(dialogs), m_optionsPath(optionsPath),
      m_options(SitePanelOptions::read(optionsPath)), m_links(std::move(links))
{
    m_panel = new SitePanel(
        dialogs, [this](const QString &path) { return isEdited(path); }, &window);
    window.addDockWidget(Qt::RightDockWidgetArea, m_panel);
    // Beside the editor, not half the window: the tree needs little more than its names.
    window.resizeDocks({m_panel}, {kStartWidth}, Qt::Horizontal);
    m_panel->setShowsHiddenFiles(m_options.hiddenFiles);
    m_toggle.setCheckable(true);
    m_toggle.setChecked(m_options.shown);
    m_panel->setVisible(m_options.shown);

    commands.add(kToggleHandler, [this](int) { setShown(m_toggle.isChecked()); });
    commands.add(kOpenFolderHandler, [this](int) { openFolder(); });
    connect(m_panel, &SitePanel::closedByUser, this, [this] {
        m_toggle.setChecked(false);
        setShown(false);
    });
    connect(m_panel, &SitePanel::hiddenFilesChanged, this, [this](bool shown) {
        m_options.hiddenFiles = shown;
        store();
    });
    connect(m_panel, &SitePanel::pageOpened, this, [this](const QString &path) { m_links.openPage(path); });
    connect(m_panel, &SitePanel::imageOpened, this, [this](const QString &path) { m_links.showImage(path); });
    connect(m_panel, &SitePanel::publishSourceChosen, this, [this](const QString &folder) {
        m_links.usePublishSource(folder);
    });
    refresh();
}

const Site &SitePanelCommands::site() const
{
    return m_panel->site();
}

void SitePanelCommands::refresh()
{
    const QString page = m_links.pagePath();
    const SiteProfile publish = m_links.publishSite();
    const SiteChoice choice = SiteChoice::choose(publish.localRoot, m_options.openedFolder, page);
    // A folder not yet set up for publishing is left as a new site would leave it.
    m_panel->setSite(choice.origin == SiteChoice::Origin::PublishSource ? publish.site()
                                                                        : SiteProfile{choice.root}.site());
    m_panel->setCurrentPage(page);
}

void SitePanelCommands::setShown(bool shown)
{
    m_panel->setVisible(shown);
    if (shown)
        m_panel->setFocus();
    m_options.shown = shown;
    store();
}

void SitePanelCommands::openFolder()
{
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::Folder;
    request.title = QStringLiteral("サイトのフォルダを開く");
    request.directory = !m_panel->site().isNull() ? m_panel->site().root() : QDir::currentPath();
    const std::optional<QString> folder = m_dialogs.chooseFile(&m_window, request);
    if (!folder)
        return;
    const QFileInfo chosen(*folder);
    if (!chosen.isDir())
        throw UserError(QStringLiteral("フォルダ %1 がありません").arg(QDir::toNativeSeparators(*folder)));
    if (!chosen.isReadable() || !chosen.isExecutable())
        throw UserError(QStringLiteral("フォルダ %1 を読めません").arg(QDir::toNativeSeparators(*folder)));
    m_options.openedFolder = QDir::cleanPath(chosen.absoluteFilePath());
    store();
    refresh();
    // Chosen to be seen: the panel shows.
    if (!m_toggle.isChecked()) {
        m_toggle.setChecked(true);
        setShown(true);
    }
}

bool SitePanelCommands::isEdited(const QString &path) const
{
    if (path.isEmpty())
        return false;
    const QString target = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QStringList pages = m_links.openPages ? m_links.openPages() : QStringList{m_links.pagePath()};
    for (const QString &page : pages) {
        if (page.isEmpty())
            continue;
        const QString edited = QDir::cleanPath(QFileInfo(page).absoluteFilePath());
        if (edited == target || edited.startsWith(target + QLatin1Char('/')))
            return true;
    }
    return false;
}

void SitePanelCommands::store()
{
    // Only a convenience, like the window's placement: a data folder that cannot take it is
    // reported for the recent-file list already.
    try {
        m_options.write(m_optionsPath);
    } catch (const std::exception &) {
    }
}
