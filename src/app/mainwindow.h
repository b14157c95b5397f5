#pragma once

#include "app/mainwindowview.h"
#include "app/recentfilelist.h"
#include "app/sessionpages.h"
#include "common/commanddispatcher.h"
#include "common/previewcopyrecord.h"
#include "preview/previewsession.h"
#include "preview/weblists.h"
#include "workspace/document.h"
#include "workspace/documentregistry.h"

#include <QHash>
#include <QMainWindow>

class AboutBox;
class BrowserEngine;
class ColorSizeDialog;
class DiskChangeCheck;
class DocumentCommands;
class DocumentFollowers;
class EditCommands;
class EditorViewSettings;
class EditorStack;
class HistoryEditor;
class ImageDrop;
class PageCheckCommands;
class PageContext;
class PermissionDialog;
class PreviewCommands;
class SitePanelCommands;
class QAction;
class QMenu;
class TableDialog;
class TransferWindow;
class UserDialogs;
class WebListCommands;

// The windows created after the main window, in creation order; owned by the main window.
struct SecondaryWindows
{
    ColorSizeDialog *colorSize = nullptr;   // Form2
    TableDialog *table = nullptr;           // Form3
    HistoryEditor *history = nullptr;       // RIREKIfrm
    AboutBox *about = nullptr;              // AboutBox
    PermissionDialog *permission = nullptr; // Ftp2
    TransferWindow *transfer = nullptr;     // Ftp1
};

// The main editor window (Form1) and the composition root of the program. It owns the open
// document, the preview session with the record of its files, the web lists, the controls, the
// menus and the command dispatcher through which every menu item and button runs; it creates the controllers, which
// register their handlers there with the narrow references they work on. A command that fails is stopped and its failure shown in the generic
// error box.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    static constexpr QSize kStartSize{642, 487};
    static constexpr QSize kMinimumSize{640, 480};

    explicit MainWindow(UserDialogs &dialogs, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Called once the other windows exist; creates the controllers, which need some of them.
    // previewEngine: the preview's browser engine, taken over; Qt WebEngine unless one is given.
    void attachWindows(const SecondaryWindows &windows, BrowserEngine *previewEngine = nullptr);

    // The open page; the window follows it for the status bar's format label.
    const Document &document() const { return *m_registry.current(); }
    const DocumentRegistry &documents() const { return m_registry; }
    const PreviewSession &previewSession() const { return m_previewSession; }
    const WebLists &webLists() const { return m_lists; }
    const MainWindowView &view() const { return m_view; }
    // The page in front: its editor and document. Whatever follows the page connects here;
    // viewReplaced() tells when New, Open or Save As puts the editor's other view in use.
    PageContext &page() const { return *m_page; }
    // Where every menu item and button of this window is dispatched.
    CommandDispatcher &dispatcher() { return m_dispatcher; }

    QAction *action(const QString &name) const { return m_actions.value(name); }
    QMenu *editorPopupMenu() const { return m_popupMenu; }

    // Opens the file named on the command line, as File > Open would.
    void openStartupFile(const QString &path);
    // Before the window first shows: the pages open at the last normal end (or logout) come
    // back in their tabs.
    void restoreSession();
    // The pages open now, for the next start; also when the program is ended by a signal.
    void keepSession();
    // Once the window shows: offers back the work an earlier run left unsaved, and lets the
    // preview's engine set itself up in the background.
    void offerKeptPages();
    void warmUpPreview();
    // What follows the open document by itself (自動反映, crash recovery); null before
    // attachWindows.
    DocumentFollowers *documentFollowers() const { return m_followers; }
    // The サイト panel and its menu items; null before attachWindows.
    SitePanelCommands *sitePanel() const { return m_sitePanel; }
    // The program is ending by a signal, without closing: the preview files it wrote go.
    void discardPreviewCopies();

signals:
    void closed();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildMenus();
    void bindControls();
    void followPages();
    // A page just added gets what every page has: the pop-up menu, drops, the view switches,
    // crash recovery.
    void setUpPage(Document &page);
    // Another page in front: the commands, caption, status bar, folder and preview follow it.
    void bringToFront(Document &page);
    void formCreate();
    void formClose();
    void saveRecentFiles();
    void registerOwnCommands();
    void showRecentFiles();
    // The size, place and editor height the user left the window with, when still usable.
    void restorePlacement();
    void savePlacement();
    void showDocumentFormat();
    // Files dropped on the editor at a position of its text, or elsewhere on the window (-1).
    void filesDropped(const QStringList &paths, int position);
    // ページチェックを見る before an upload: the window comes forward with that page open (asking
    // first about unsaved changes) and its check showing.
    void showPageCheckOf(const QString &path);
    // The サイト panel beside the editor, following the page and the transfer window's site.
    void installSitePanel(TransferWindow &transfer, PreviewCommands &preview);

    UserDialogs &m_dialogs;
    CommandDispatcher m_dispatcher;
    DocumentRegistry m_registry;
    PreviewCopyRecord m_previewCopies;
    PreviewSession m_previewSession;
    WebLists m_lists;
    MainWindowView m_view;
    PageContext *m_page = nullptr;
    RecentFileList m_recentFiles;
    bool m_recentFilesLoaded = false;
    LineFile::Contents m_recentFilesAsRead;
    DocumentCommands *m_documents = nullptr;
    ImageDrop *m_imageDrop = nullptr;
    EditCommands *m_editCommands = nullptr;
    WebListCommands *m_webLists = nullptr;
    DocumentFollowers *m_followers = nullptr;
    PageCheckCommands *m_pageCheck = nullptr;
    SitePanelCommands *m_sitePanel = nullptr;
    PreviewCommands *m_preview = nullptr;
    EditorViewSettings *m_editorView = nullptr;
    DiskChangeCheck *m_diskCheck = nullptr;
    QHash<QString, QAction *> m_actions;
    // Where each page of the last session not read yet goes once it is.
    SessionPages::Places m_unreadPlaces;
    QMenu *m_popupMenu = nullptr;
};
