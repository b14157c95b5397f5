#pragma once

#include "app/sitepaneloptions.h"
#include "workspace/siteprofile.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class CommandDispatcher;
class QAction;
class QMainWindow;
class SitePanel;
class UserDialogs;

// The site panel's place in the main window: 環境設定 → サイトの欄 shows and hides it, ファイル →
// サイトのフォルダを開く chooses a folder as the site, and whenever the page or the transfer
// window's site changes it works out which folder the site is and what it leaves out. What the
// user chose is remembered in the data folder. Owns the panel (docked in the window) and the
// choice; reaches the page, the transfer window and the preview through the links it is given.
class SitePanelCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SitePanelCommands)

public:
    static inline const QString kToggleHandler = QStringLiteral("mnuSitePanelClick");
    static inline const QString kOpenFolderHandler = QStringLiteral("mnuSiteFolderClick");
    static constexpr int kStartWidth = 170;

    struct Links
    {
        std::function<QString()> pagePath;                  // the page in front; empty while untitled
        std::function<QStringList()> openPages;             // every page open in a tab, those with a file
        std::function<SiteProfile()> publishSite;           // the site shown in the transfer window
        std::function<void(const QString &path)> openPage;  // with the window's question on changes
        std::function<void(const QString &path)> showImage; // in the preview
        std::function<void(const QString &folder)> usePublishSource;
    };

    // toggle: the checkable 環境設定 → サイトの欄 item. optionsPath: where the choice is kept; read now.
    SitePanelCommands(CommandDispatcher &commands,
                      QMainWindow &window,
                      QAction &toggle,
                      UserDialogs &dialogs,
                      const QString &optionsPath,
                      Links links);

    SitePanel &panel() const { return *m_panel; }
    // The site shown in the panel, which every command over the whole site works on.
    const Site &site() const;
    // The page or the transfer window's site changed: the site may be another folder now.
    void refresh();

private:
    void setShown(bool shown);
    void openFolder();
    // Whether path is the page being edited or a folder holding it.
    // Whether a path is a page open in a tab, or a folder holding one.
    bool isEdited(const QString &path) const;
    void store();

    QMainWindow &m_window;
    QAction &m_toggle;
    UserDialogs &m_dialogs;
    QString m_optionsPath;
    SitePanelOptions m_options;
    Links m_links;
    SitePanel *m_panel = nullptr;
};
