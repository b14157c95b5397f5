#pragma once

#include "common/mainstate.h"
#include "app/mainwindowview.h"
#include "app/recentfilelist.h"
#include "common/commandregistry.h"

#include <QHash>
#include <QMainWindow>

#include <functional>

class AboutBox;
class ColorSizeDialog;
class HistoryEditor;
class PermissionDialog;
class QAction;
class QMenu;
class TableDialog;
class TransferWindow;
class UserDialogs;

// The windows created after the main window, in creation order; owned by the main window.
struct SecondaryWindows
{
    ColorSizeDialog *colorSize = nullptr;  // Form2
    TableDialog *table = nullptr;          // Form3
    HistoryEditor *history = nullptr;      // RIREKIfrm
    AboutBox *about = nullptr;             // AboutBox
    PermissionDialog *permission = nullptr; // Ftp2
    TransferWindow *transfer = nullptr;    // Ftp1
};

// What the document commands plug into the window's life: the question before closing, files
// dropped from the desktop, and the file named on the command line.
struct DocumentHooks
{
    std::function<bool()> closeQuery;                    // true: the close may go ahead
    std::function<void(const QStringList &)> dropFiles;
    std::function<void(const QString &)> openFile;
};

// The main editor window (Form1) and the composition root of the program. It owns the shared
// state, the controls, the menus and the command registry through which every menu item and
// button runs; subsystem controllers register their handlers there. A command that fails is
// stopped and its failure shown in the generic error box.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    static constexpr QSize kStartSize{642, 487};
    static constexpr QSize kMinimumSize{640, 480};

    explicit MainWindow(UserDialogs &dialogs, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Called once the other windows exist; wires the commands that need them.
    void attachWindows(const SecondaryWindows &windows);
    const SecondaryWindows &windows() const { return m_windows; }

    MainState &state() { return m_state; }
    const MainWindowView &view() const { return m_view; }
    CommandRegistry &commands() { return m_commands; }
    UserDialogs &dialogs() { return m_dialogs; }
    RecentFileList &recentFiles() { return m_recentFiles; }
    DocumentHooks &documentHooks() { return m_documentHooks; }

    QAction *action(const QString &name) const { return m_actions.value(name); }
    QMenu *editorPopupMenu() const { return m_popupMenu; }

    // Runs a handler by name; a failure is shown in the generic error box.
    void runCommand(const QString &handler, int tag = 0);

    // Shows the recent-file list in the File menu's slots.
    void showRecentFiles();
    // Opens the file named on the command line, as File > Open would.
    void openStartupFile(const QString &path);

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildMenus();
    void bindControls();
    void formCreate();
    void formClose();
    void registerOwnCommands();

    UserDialogs &m_dialogs;
    MainState m_state;
    MainWindowView m_view;
    CommandRegistry m_commands;
    RecentFileList m_recentFiles;
    bool m_recentFilesLoaded = false;
    DocumentHooks m_documentHooks;
    SecondaryWindows m_windows;
    QHash<QString, QAction *> m_actions;
    QMenu *m_popupMenu = nullptr;
};
