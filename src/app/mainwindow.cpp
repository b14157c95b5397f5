#include "app/mainwindow.h"

#include "app/caretdisplay.h"
#include "app/diskchangecheck.h"
#include "app/documentcommands.h"
#include "app/documentfollowers.h"
#include "app/documentstate.h"
#include "app/editcommands.h"
#include "app/editorviewsettings.h"
#include "app/findcommands.h"
#include "app/finddialog.h"
#include "app/helpcommands.h"
#include "app/mainmenu.h"
#include "app/menubuilder.h"
#include "app/pagecheckcommands.h"
#include "app/pagetabs.h"
#include "app/printcommand.h"
#include "app/replacecommands.h"
#include "app/sessionpages.h"
#include "app/sitecheckcommands.h"
#include "app/sitemovecommands.h"
#include "app/sitepanel.h"
#include "app/sitepanelcommands.h"
#include "app/sitereplacecommands.h"
#include "app/sitesearchcommands.h"
#include "app/statusbar.h"
#include "app/tabcommands.h"
#include "app/viewcommands.h"
#include "app/windowplacement.h"
#include "authoring/authoringcommands.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "authoring/editorviewrules.h"
#include "authoring/imagedrop.h"
#include "authoring/pagecontext.h"
#include "authoring/sourceview.h"
#include "common/datafolder.h"
#include "common/linefile.h"
#include "common/ownfiles.h"
#include "common/uifont.h"
#include "common/userdialogs.h"
#include "common/usererror.h"
#include "pagecheck/sitelinkscheck.h"
#include "pagecheck/uploadquestion.h"
#include "preview/previewcommands.h"
#include "preview/previewfile.h"
#include "preview/weblistcommands.h"
#include "preview/webliststore.h"
#include "transfer/transferwindow.h"
#include "workspace/pagesession.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QTime>
#include <QToolButton>
#include <QUrl>

namespace {

const QString kRecentFilesName = QStringLiteral("QZWEB.ini");

const QStringList kHomePages = {
    QStringLiteral("http://www.example.com/"),
    QStringLiteral("http://www.example.org/"),
};

} // namespace

MainWindow::MainWindow(UserDialogs &dialogs, QWidget *parent)
    : QMainWindow(parent), m_dialogs(dialogs), m_dispatcher(dialogs, *this), m_previewCopies(OwnFiles::recordFolder())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("QZWeb"));
    setAccessibleName(windowTitle());
    setFont(UiFont::windowFont());
    m_view = MainWindowView::build(this, m_registry);
    m_page = new PageContext(*m_view.editor, *m_registry.current(), this);
    followPages();
    buildMenus();
    bindControls();
    // The designed outer size is 642 x 487; the frame the window manager adds is not ours to
    // size, so the inside gets the designed client size plus the menu bar.
    const int frameWidth = kStartSize.width() - 634;
    const int frameHeight = kStartSize.height() - 441;
    const int menuHeight = menuBar()->sizeHint().height();
    resize(634, 441 + menuHeight);
    setMinimumSize(kMinimumSize.width() - frameWidth, kMinimumSize.height() - frameHeight + menuHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    restorePlacement();
    registerOwnCommands();
    formCreate();
}

MainWindow::~MainWindow()
{
    // The edit commands follow the application's focus. Closing the other windows (children of
    // this one, torn down after the controls) moves the focus, and the commands must not then
    // look at controls that are already gone.
    delete m_editCommands;
    // The editors show the texts of the registry's documents, which go with this window's members
    // before its child widgets would; so the editors go first, telling nobody.
    m_view.tabs->disconnect();
    delete m_view.tabs;
}

void MainWindow::buildMenus()
{
    MenuBuilder builder([this](const QString &handler, int tag) { m_dispatcher.run(handler, tag); });
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    menuBar()->setAccessibleName(QStringLiteral("メニュー"));
    builder.fill(menuBar(), MainMenu::menuBar());
    // The menus' captions have no access keys, so without a mouse they are reached as on the
    // rest of the desktop: F10 opens the first one.
    auto *openMenus = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(openMenus, &QShortcut::activated, this, [this] {
        if (!menuBar()->actions().isEmpty())
            menuBar()->setActiveAction(menuBar()->actions().constFirst());
    });
    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(QStringLiteral("PopupMenu1"));
    builder.fill(m_popupMenu, MainMenu::editorPopup());
    m_actions = builder.actions();
    m_view.editor->setContextMenu(m_popupMenu);
}

void MainWindow::bindControls()
{
    struct Binding
    {
        QAbstractButton *button;
        const char *handler;
        int tag;
    };
    const Binding bindings[] = {
        {m_view.previewButton, "Button1Click", 0},
        {m_view.exitButton, "Button2Click", 0},
        {m_view.favoritesButton, "Button3Click", 0},
        {m_view.historyButton, "Button4Click", 1},
        {m_view.backButton, "SpeedButton1Click", 0},
        {m_view.forwardButton, "SpeedButton1Click", 1},
        {m_view.stopButton, "SpeedButton1Click", 2},
        {m_view.transferButton, "mnuFTPClick", 0},
        {m_view.radioOnline, "RadioButton3Click", 0},
        {m_view.radioOffline, "RadioButton4Click", 0},
    };
    for (const Binding &b : bindings) {
        const QString handler = QString::fromLatin1(b.handler);
        const int tag = b.tag;
        connect(b.button, &QAbstractButton::clicked, this, [this, handler, tag] { m_dispatcher.run(handler, tag); });
    }
    // 反映 is left out of the Tab order by design; F5 keeps it within reach of the keyboard.
    auto *previewKey = new QShortcut(QKeySequence(Qt::Key_F5), this);
    previewKey->setObjectName(QStringLiteral("Button1Shortcut"));
    connect(previewKey, &QShortcut::activated, m_view.previewButton, &QAbstractButton::click);
    m_view.previewButton->setToolTip(QStringLiteral("反映 (F5)"));
    connect(m_view.editor, &EditorStack::filesDropped, this, &MainWindow::filesDropped);
}

void MainWindow::followPages()
{
    // The status bar names the format the page is written in, whichever command changed it.
    connect(m_page, &PageContext::documentChanged, this, [this](Document::Aspect aspect) {
        if (aspect == Document::Aspect::Path || aspect == Document::Aspect::Format)
            showDocumentFormat();
    });
    connect(m_view.tabs, &PageTabs::pageAdded, this, &MainWindow::setUpPage);
    connect(m_view.tabs, &PageTabs::pageShown, this, &MainWindow::bringToFront);
    connect(m_view.tabs, &PageTabs::pageClosing, this, [this](const Document &page) { m_unreadPlaces.remove(&page); });
}

void MainWindow::setUpPage(Document &page)
{
    EditorStack &editor = m_view.tabs->editorOf(page);
    editor.setContextMenu(m_popupMenu);
    // The editor's background is the window's choice (環境設定), not a page's: every tab shows it.
    if (m_view.editor && m_view.editor != &editor)
        editor.setBackgroundColor(m_view.editor->backgroundColor());
    connect(&editor, &EditorStack::backgroundColorChanged, this, [this](const QColor &color) {
        for (const Document *other : m_registry.documents())
            m_view.tabs->editorOf(*other).setBackgroundColor(color);
    });
    connect(&editor, &EditorStack::filesDropped, this, &MainWindow::filesDropped);
    if (m_editorView)
        m_editorView->attach(editor.sourceView());
    if (m_followers)
        m_followers->followPage(m_view.tabs->contextOf(page));
    if (m_diskCheck)
        m_diskCheck->watch(page);
}

void MainWindow::bringToFront(Document &page)
{
    if (&page == &m_page->document())
        return;
    // The preview file belongs beside the page it showed; the next one goes beside this page.
    PreviewFile::remove(m_previewSession);
    if (const QString folder = DocumentState(page, m_previewSession).broughtToFront(); !folder.isEmpty())
        QDir::setCurrent(folder);
    m_view.editor = &m_view.tabs->editorOf(page);
    m_page->show(*m_view.editor, page);
    // A page of the last session is read the first time it comes to the front.
    if (page.isUnread() && m_documents) {
        const PageSession::Page place = m_unreadPlaces.take(&page);
        if (m_dispatcher.guard([this] { m_documents->readUnread(); }))
            SessionPages::place(*m_page, place, *this);
    }
    const QString caption = DocumentState::caption(page.path());
    setWindowTitle(caption);
    setAccessibleName(caption);
    showDocumentFormat();
    if (m_diskCheck)
        m_dispatcher.guard([this] { m_diskCheck->check(); });
    if (m_preview)
        m_dispatcher.guard([&] { m_preview->showDocument(page); });
    m_view.editor->setFocus();
}

bool MainWindow::event(QEvent *event)
{
    // Back from another program, which may have written one of the pages.
    if (event->type() == QEvent::WindowActivate && m_diskCheck)
        m_dispatcher.guard([this] { m_diskCheck->check(); });
    return QMainWindow::event(event);
}

void MainWindow::registerOwnCommands()
{
    auto close = [this](int) { this->close(); };
    m_dispatcher.add(QStringLiteral("Exit1Click"), close);
    m_dispatcher.add(QStringLiteral("Button2Click"), close);
}

void MainWindow::attachWindows(const SecondaryWindows &windows, BrowserEngine *previewEngine)
{
    new ViewCommands(m_dispatcher, *m_page, *m_view.splitter, *windows.transfer, m_dialogs, *this);
    AuthoringCommands::install(m_dispatcher, *m_page, m_dialogs, *windows.colorSize, *windows.table, *this);
    auto *preview = new PreviewCommands(m_dispatcher,
                                        document(),
                                        m_previewSession,
                                        m_lists,
                                        m_dialogs,
                                        {m_view.preview,
                                         m_view.urlBox,
                                         m_view.radioHttp,
                                         m_view.progressBar,
                                         [this] { return EditorAdapter(m_page->editor()).text(); },
                                         [this](const QString &text) { m_view.statusBar->setPanelText(0, text); },
                                         m_view.radioOnline,
                                         m_view.pageWidth},
                                        previewEngine);
    m_preview = preview;
    m_webLists = new WebListCommands(m_dispatcher, m_lists, m_dialogs, *preview, *this);
    new PrintCommand(m_dispatcher, *m_page, m_dialogs, *this);
    new HelpCommands(m_dispatcher, *windows.about, *this);
    m_documents = new DocumentCommands(m_dispatcher, *m_page, m_previewSession, m_recentFiles, m_dialogs, *this);
    m_imageDrop = new ImageDrop(*m_page, m_dialogs, *this);
    connect(m_documents, &DocumentCommands::recentFilesChanged, this, &MainWindow::showRecentFiles);
    showDocumentFormat();
    const auto findAction = [this](const QString &name) { return action(name); };
    m_followers = new DocumentFollowers(
        m_dispatcher,
        {*m_page,
         m_previewSession,
         m_dialogs,
         *this,
         *preview,
         findAction,
         [this](const QString &text) { m_view.statusBar->setPanelText(0, text); },
         [this](const QString &path) -> Document & { return m_documents->pageForKeptCopy(path); }});
    connect(m_documents, &DocumentCommands::saved, m_followers, &DocumentFollowers::documentSaved);
    for (Document *page : m_registry.documents())
        m_followers->followPage(m_view.tabs->contextOf(*page));
    connect(m_view.tabs, &PageTabs::pageClosing, m_followers, &DocumentFollowers::pageClosing);
    m_documents->openInTabs(*m_view.tabs);
    m_diskCheck = new DiskChangeCheck(*m_page, m_dialogs, *this);
    for (Document *page : m_registry.documents())
        m_diskCheck->watch(*page);
    connect(m_documents, &DocumentCommands::saved, m_diskCheck, &DiskChangeCheck::stampFront);
    new TabCommands(m_dispatcher, *m_view.tabs, *m_documents, m_dialogs, *this);
    auto *find = new FindCommands(m_dispatcher, *m_page, m_dialogs, *this);
    new ReplaceCommands(
        m_dispatcher,
        *m_page,
        find->dialog(),
        [this](const QString &text) { m_view.statusBar->setPanelText(0, text); },
        *this);
    m_editCommands = new EditCommands(m_dispatcher,
                                      *m_page,
                                      *this,
                                      {{action(QStringLiteral("cut3")), action(QStringLiteral("Cut2"))},
                                       {action(QStringLiteral("Copy3")), action(QStringLiteral("Copy2"))},
                                       {action(QStringLiteral("Paste3")), action(QStringLiteral("Paste2"))}});
    new CaretDisplay(*m_page, [this](const QString &text) { m_view.statusBar->setPanelText(0, text); });
    m_editorView = new EditorViewSettings(m_dispatcher,
                                          *action(QStringLiteral("mnuColorCode")),
                                          *action(QStringLiteral("mnuLineNumber")),
                                          DataFolder::filePath(EditorViewOptions::kFileName),
                                          this);
    m_editorView->attach(m_view.editor->sourceView());
    m_pageCheck = new PageCheckCommands(
        m_dispatcher,
        *m_page,
        *this,
        {*action(QStringLiteral("mnuPageCheckAuto")), *action(QStringLiteral("mnuPageCheckUpload"))},
        [this, preview] {
            const QFileInfo file(document().path());
            PageCheck::Input input{
                {}, file.fileName().isEmpty() ? QString() : file.absolutePath(), document().format().encoding, {}};
            input.phoneFit = preview->phoneFitOf(document());
            return input;
        },
        DataFolder::filePath(PageCheckOptions::kFileName));
    // The phone preview measures a page after it has loaded: rows on show take the measure in.
    connect(preview, &PreviewCommands::phoneFitMeasured, m_pageCheck, [this] {
        if (m_pageCheck->dock().isVisible())
            m_pageCheck->check();
    });
    windows.transfer->setUploadCheck(UploadQuestion(
        m_dialogs, windows.transfer, DataFolder::filePath(PageCheckOptions::kFileName), [this](const QString &path) {
            showPageCheckOf(path);
        }));
    windows.transfer->setPageErrorCount(&UploadQuestion::pageErrors);
    installSitePanel(*windows.transfer, *preview);
}

void MainWindow::installSitePanel(TransferWindow &transfer, PreviewCommands &preview)
{
    SitePanelCommands::Links links;
    links.pagePath = [this] { return document().path(); };
    links.openPages = [this] {
        QStringList paths;
        for (const Document *page : m_registry.documents())
            paths.append(page->path());
        return paths;
    };
    links.publishSite = [&transfer] { return transfer.shownSite(); };
    // The page opens as ファイルを開く opens it: in a tab of its own, or its tab comes to the front.
    links.openPage = [this](const QString &path) { m_dispatcher.guard([&] { m_documents->openAsked(path); }); };
    links.showImage = [&preview](const QString &path) { preview.browse(QUrl::fromLocalFile(path).toString()); };
    links.usePublishSource = [&transfer](const QString &folder) { transfer.usePublishSource(folder); };
    m_sitePanel = new SitePanelCommands(m_dispatcher,
                                        *this,
                                        *action(QStringLiteral("mnuSitePanel")),
                                        m_dialogs,
                                        DataFolder::filePath(SitePanelOptions::kFileName),
                                        std::move(links));
    // The site and the marked page follow the page in front: another tab, or a Save As.
    connect(m_page, &PageContext::changed, m_sitePanel, &SitePanelCommands::refresh);
    connect(m_page, &PageContext::documentChanged, m_sitePanel, [this](Document::Aspect aspect) {
        if (aspect == Document::Aspect::Path)
            m_sitePanel->refresh();
    });
    connect(&transfer, &TransferWindow::siteShown, m_sitePanel, &SitePanelCommands::refresh);
    // Over the site the panel shows, opening a match as the panel opens a page.
    const auto openPage = [this](const QString &path) {
        bool opened = false;
        m_dispatcher.guard([&] { opened = m_documents->openAsked(path); });
        return opened;
    };
    auto *search = new SiteSearchCommands(
        m_dispatcher, *m_page, m_registry, *this, {[this] { return m_sitePanel->site(); }, openPage});
    SiteReplaceCommands::Links replaceLinks;
    replaceLinks.site = [this] { return m_sitePanel->site(); };
    replaceLinks.undoFolder = DataFolder::filePath(QStringLiteral("site-replace"));
    new SiteReplaceCommands(m_dispatcher,
                            *search,
                            m_registry,
                            m_dialogs,
                            *action(QStringLiteral("mnuSiteReplaceUndo")),
                            *this,
                            std::move(replaceLinks));
    // サイトチェック over the same site; a row opens its page as a match does.
    SiteCheckCommands::Links checkLinks{[this] { return m_sitePanel->site(); },
                                        openPage,
                                        [this](int line, int column) { m_pageCheck->moveCaret(line, column); },
                                        [this] { m_page->editor().view().setFocus(); },
                                        [&transfer](const Site &site) { return transfer.hostPublishing(site.root()); },
                                        DataFolder::filePath(PageCheckOptions::kFileName)};
    auto *check = new SiteCheckCommands(m_dispatcher, m_registry, *this, std::move(checkLinks));
    m_sitePanel->panel().dispatcher().add(QStringLiteral("SiteCheckClick"), [check](int) { check->showAndCheck(); });
    // A rename or move in the panel, with the links to it in every page of the site.
    new SiteMoveCommands(
        m_sitePanel->panel(), m_registry, m_dialogs, *this, {DataFolder::filePath(QStringLiteral("site-move"))});
    // The transfer window's サイトチェック checks the site it publishes, here in the dock; its
    // 更新分を公開 checks the same site as saved, sharing what the dock's runs read.
    connect(&transfer, &TransferWindow::siteCheckRequested, check, [this, check](const SiteProfile &site) {
        raise();
        activateWindow();
        check->showAndCheck(site.site());
    });
    transfer.setSiteCheck([memory = check->memory()](const SiteProfile &site, const std::function<bool()> &stopped) {
        return SiteLinksCheck::run(site.site(), *memory, stopped);
    });
}

void MainWindow::showPageCheckOf(const QString &path)
{
    raise();
    activateWindow();
    const bool open = DocumentRegistry::samePath(path, document().path());
    bool shown = open;
    if (!open)
        m_dispatcher.guard([&] { shown = m_documents->openAsked(path); });
    if (shown)
        m_pageCheck->showAndCheck();
}

void MainWindow::formCreate()
{
    // Each loading step stands alone: a list file that cannot be read is reported and that list
    // starts empty, but the other steps still run so the window opens fully working.
    m_view.urlBox->addItems(kHomePages);
    m_view.urlBox->setCurrentIndex(0);
    m_page->document().setPath(QString());
    m_previewSession.previewDir.clear();
    m_previewSession.previewName = PreviewFile::makeName(QTime::currentTime());
    // Preview files a killed run left in the user's folders would be published with the site.
    PreviewCopyRecord::removeLeftovers(OwnFiles::recordFolder());
    m_previewSession.copies = &m_previewCopies;
    m_previewSession.lastUrl.clear();
    m_lists.webHistory.clear();
    m_lists.favoriteList.clear();
    m_lists.webHistoryLoadFailed = !m_dispatcher.guard([this] {
        const QString historyPath = DataFolder::filePath(WebListStore::kHistoryFileName);
        if (QFile::exists(historyPath)) {
            m_lists.webHistoryAsRead = LineFile::readContents(historyPath);
            m_lists.webHistory = m_lists.webHistoryAsRead.lines;
        }
    });
    m_view.progressBar->hide();
    m_view.progressBar->setParent(m_view.statusBar);
    m_view.progressBar->setGeometry(0, 2, m_view.statusBar->panelWidth(0), 16);
    m_view.progressBar->hide();
    m_previewSession.onlineFlag = false;
    setAcceptDrops(true);
    m_recentFilesLoaded = m_dispatcher.guard([this] {
        const QString recentPath = DataFolder::filePath(kRecentFilesName);
        if (QFile::exists(recentPath)) {
            m_recentFilesAsRead = LineFile::readContents(recentPath);
            m_recentFiles.loadLines(m_recentFilesAsRead.lines);
        }
    });
    showRecentFiles();
}

void MainWindow::restorePlacement()
{
    // A file from another screen arrangement, or damaged, would put the window out of reach:
    // the designed layout is then the safe start.
    const auto stored = WindowPlacement::read(DataFolder::filePath(WindowPlacement::kFileName));
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    if (!stored || !stored->fits(screens, minimumSize())) {
        m_view.shareEvenly();
        return;
    }
    setGeometry(stored->geometry);
    if (stored->maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    m_view.setEditorHeight(stored->editorHeight);
}

void MainWindow::savePlacement()
{
    // Only a convenience: a data folder that cannot take it is already reported for the
    // recent-file list, and a second box about the window's size would say nothing new.
    const WindowPlacement placement{normalGeometry(), isMaximized(), m_view.editorHeight()};
    try {
        placement.write(DataFolder::filePath(WindowPlacement::kFileName));
    } catch (const std::exception &) {
    }
}

void MainWindow::showRecentFiles()
{
    const QStringList &entries = m_recentFiles.entries();
    for (int i = 0; i < RecentFileList::kSlotCount; ++i) {
        if (QAction *slot = action(MainMenu::recentSlotName(i)))
            slot->setText(MainMenu::menuCaption(entries.at(i)));
    }
}

void MainWindow::showDocumentFormat()
{
    m_view.statusBar->setPanelText(StatusBar::kEncodingPanel, DocumentState::formatLabel(document()));
}

void MainWindow::openStartupFile(const QString &path)
{
    if (m_documents)
        m_dispatcher.guard([&] { m_documents->openFile(path); });
}

void MainWindow::restoreSession()
{
    if (m_documents)
        m_dispatcher.guard([this] {
            m_unreadPlaces = SessionPages::reopen(PageSession::read(DataFolder::filePath(PageSession::kFileName)),
                                                  *m_view.tabs,
                                                  *m_documents,
                                                  m_dialogs,
                                                  *this);
        });
}

void MainWindow::keepSession()
{
    // Without it the next start only opens no tabs; no work is lost, so neither a close nor a
    // logout waits on a box for it.
    try {
        SessionPages::capture(*m_view.tabs, m_unreadPlaces).write(DataFolder::filePath(PageSession::kFileName));
    } catch (const UserError &) {
    }
}

void MainWindow::offerKeptPages()
{
    if (m_followers)
        m_dispatcher.guard([this] { m_followers->offerKeptPages(); });
}

void MainWindow::warmUpPreview()
{
    if (m_followers)
        m_followers->warmUpPreview();
}

void MainWindow::formClose()
{
    // A list file that could not be read at start-up is left as it is rather than overwritten
    // with an empty list; a folder that cannot be written must not keep the program open.
    if (m_recentFilesLoaded)
        m_dispatcher.guard([this] { saveRecentFiles(); });
    // This run's visits are kept even when the history window was never opened.
    if (m_webLists)
        m_dispatcher.guard([this] { m_webLists->saveHistory(); });
    PreviewFile::remove(m_previewSession);
    if (m_followers)
        m_followers->windowClosed();
    keepSession();
    savePlacement();
}

void MainWindow::discardPreviewCopies()
{
    PreviewFile::remove(m_previewSession);
    m_previewCopies.removeAll();
}

void MainWindow::saveRecentFiles()
{
    // A file cut short by a zero byte is left whole until the list really changes.
    RecentFileList asRead;
    asRead.loadLines(m_recentFilesAsRead.lines);
    m_recentFilesAsRead = LineFile::writeOver(DataFolder::filePath(kRecentFilesName),
                                              m_recentFilesAsRead,
                                              m_recentFiles.toLines(),
                                              asRead.entries() != m_recentFiles.entries());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // A close query that fails keeps the window open: closing must never lose unsaved work.
    bool mayClose = true;
    if (m_documents && !m_dispatcher.guard([&] { mayClose = m_documents->closeQuery(); }))
        mayClose = false;
    if (!mayClose) {
        event->ignore();
        return;
    }
    formClose();
    event->accept();
    emit closed();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!localFilesOf(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QStringList files = localFilesOf(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // Not on the editor: a picture goes in at the caret.
    filesDropped(files, -1);
}

void MainWindow::filesDropped(const QStringList &paths, int position)
{
    if (!m_documents)
        return;
    // A picture becomes part of the page; any other file is opened as the page (or refused when
    // it is no text).
    m_dispatcher.guard([&] {
        if (!m_imageDrop->drop(paths, position))
            m_documents->dropFiles(paths);
    });
}
