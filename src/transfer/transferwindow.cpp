#include "transfer/transferwindow.h"

#include "common/datafolder.h"
#include "common/linefile.h"
#include "common/userdialogs.h"
#include "common/usererror.h"
#include "transfer/ftpaddress.h"
#include "transfer/ftpjobrunner.h"
#include "transfer/ftpsession.h"
#include "transfer/localpane.h"
#include "transfer/permissiondialog.h"
#include "transfer/publishcommand.h"
#include "transfer/remotepane.h"
#include "transfer/siteconnector.h"
#include "transfer/sitepasswords.h"
#include "transfer/sitesettingseditor.h"
#include "transfer/transfercommands.h"
#include "transfer/trustedcertificates.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

namespace {

const QString kDamagedSettingsNotice = QStringLiteral(
    "%1 の一部を読めませんでした。読めた設定を使います。元のファイルは、次に設定を保存するときに %2 として残します。");

const QString kUnknownSecurityNotice =
    QStringLiteral("%1の接続方式を読めませんでした。パスワードを守るため、FTPS（明示的 TLS）で接続します。"
                   "暗号化なしの FTP にするときは、接続方式を選んで保存してください。");

const QString kUnstorableFolderNotice = QStringLiteral(
    "このフォルダ名には %1 が含まれているため、サイトには記録しません。次の接続はログインしたフォルダから始まります。");

} // namespace

TransferWindow::TransferWindow(UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window), m_dialogs(dialogs), m_dispatcher(dialogs, *this)
{
    setObjectName(QStringLiteral("Ftp1"));
    setWindowTitle(QStringLiteral("RODav"));
    setAccessibleName(windowTitle());
    m_view = TransferWindowView::build(this);
    setMinimumSize(TransferWindowView::kWidth, TransferWindowView::kHeight);
    resize(TransferWindowView::kWidth, TransferWindowView::kHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }

    m_session = new FtpSession(this);
    m_runner = new FtpJobRunner(*m_session, this);
    m_remote = new RemotePane(*m_runner,
                              *m_view.remoteList,
                              *m_view.remoteModel,
                              *m_view.remoteFolder,
                              m_sort,
                              dialogs,
                              *this,
                              [this](const QString &text) { setStatus(text); });
    m_local = new LocalPane(*m_view.driveBox,
                            *m_view.folderTree,
                            *m_view.folderModel,
                            *m_view.localList,
                            *m_view.selectAllBox,
                            m_sort,
                            this);
    connect(m_session, &FtpSession::connected, this, &TransferWindow::onConnected);
    connect(m_session, &FtpSession::loggedIn, this, &TransferWindow::onLoggedIn);
    connect(m_session, &FtpSession::disconnected, this, &TransferWindow::onDisconnected);
    m_passwords = new SitePasswords(m_book, *m_view.passwordEdit, dialogs, *this);
    connect(m_passwords, &SitePasswords::bookChanged, this, &TransferWindow::writeBookQuietly);
    connect(m_session, &FtpSession::busyChanged, this, [this](bool busy) {
        m_remote->setBusy(busy);
        applyEnabled();
        if (!busy) {
            m_passwords->attemptEnded(m_remote->isConnected());
            emit idle();
        }
    });
    registerHandlers();
    m_commands = new TransferCommands(
        *m_runner, m_view, *m_remote, *m_local, dialogs, *this, [this](const QString &text) { setStatus(text); });
    m_commands->install(m_dispatcher);
    m_settingsEditor = std::make_unique<SiteSettingsEditor>(*m_view.securityBox, *m_view.dataModeBox);
    connect(m_view.keyFileButton, &QPushButton::clicked, this, &TransferWindow::chooseKeyFile);
    connect(m_view.securityBox, &QComboBox::currentIndexChanged, this, &TransferWindow::showKeyFile);
    showKeyFile();
    m_connector = std::make_unique<SiteConnector>(
        *m_remote, m_siteSettings, *m_settingsEditor, dialogs, *this, [this] { writeSiteSettings(); });
    installPublishing();

    // Every control the connection state switches starts enabled, 切断 aside.
    for (QWidget *control : std::initializer_list<QWidget *>{m_view.connectButton,
                                                             m_view.upButton,
                                                             m_view.uploadButton,
                                                             m_view.downloadButton,
                                                             m_view.uploadFolderButton,
                                                             m_view.downloadFolderButton,
                                                             m_view.publishButton})
        setCommandEnabled(control, true);
    for (QPushButton *button : m_view.siteButtons())
        setCommandEnabled(button, true);
    for (QLineEdit *edit : m_view.siteEdits())
        setCommandEnabled(edit, true);
    for (QComboBox *box : m_view.siteSettingBoxes())
        setCommandEnabled(box, true);
    setCommandEnabled(m_view.disconnectButton, false);

    loadSiteSettings();
    loadBook();
    m_local->setFolder(QDir::currentPath());
}

TransferWindow::~TransferWindow()
{
    // The program ends with the window: a folder the user stood in at 切断 is kept.
    if (m_book.modified() || m_siteSettings.modified())
        writeBookQuietly();
}

void TransferWindow::registerHandlers()
{
    const auto add = [this](const char *name, std::function<void()> action) {
        m_dispatcher.add(QString::fromLatin1(name), [action = std::move(action)](int) { action(); });
    };
    const auto click = [this](QAbstractButton *button, const char *handler) {
        const QString name = QString::fromLatin1(handler);
        connect(button, &QAbstractButton::clicked, this, [this, name] { m_dispatcher.run(name); });
    };
    add("Button1Click", [this] { connectToSite(); });
    add("Button2Click", [this] { disconnectFromSite(); });
    add("Button3Click", [this] { quitAndClose(); });
    add("Button4Click", [this] { previousSite(); });
    add("Button5Click", [this] { nextSite(); });
    add("Button6Click", [this] { addSite(); });
    add("Button7Click", [this] { saveSite(); });
    add("Button8Click", [this] { cancelAdd(); });
    add("Button9Click", [this] { deleteSite(); });
    add("BitBtn1Click", [this] { m_remote->goUp(); });
    add("ListView1DblClick", [this] { m_remote->enterSelectedFolder(); });
    add("mnuRenameClick", [this] { m_remote->startRename(); });
    add("CheckBox1Click", [this] { m_local->applySelectAll(); });
    add("DirectoryListBox1Change", [this] { m_local->followTree(); });
    add("RefreshButtonClick", [this] { refreshLists(); });
    m_dispatcher.add(QStringLiteral("ListView1ColumnClick"), [this](int column) { m_remote->sortBy(column); });
    m_dispatcher.add(QStringLiteral("ListView2ColumnClick"), [this](int column) { m_local->sortBy(column); });
    m_dispatcher.add(QStringLiteral("DriveComboBox1Change"), [this](int index) { m_local->chooseDrive(index); });

    click(m_view.connectButton, "Button1Click");
    click(m_view.disconnectButton, "Button2Click");
    click(m_view.quitButton, "Button3Click");
    click(m_view.previousButton, "Button4Click");
    click(m_view.nextButton, "Button5Click");
    click(m_view.addButton, "Button6Click");
    click(m_view.saveButton, "Button7Click");
    click(m_view.cancelAddButton, "Button8Click");
    click(m_view.deleteSiteButton, "Button9Click");
    click(m_view.upButton, "BitBtn1Click");
    click(m_view.selectAllBox, "CheckBox1Click");
    click(m_view.refreshButton, "RefreshButtonClick");
    // F5 reads both lists again from anywhere in the window, as file managers do.
    auto *f5 = new QShortcut(QKeySequence(Qt::Key_F5), this, nullptr, nullptr, Qt::WindowShortcut);
    connect(f5, &QShortcut::activated, this, [this] { m_dispatcher.run(QStringLiteral("RefreshButtonClick")); });
    connect(m_view.remoteList, &QAbstractItemView::doubleClicked, this, [this] {
        m_dispatcher.run(QStringLiteral("ListView1DblClick"));
    });
    connect(
        m_view.renameAction, &QAction::triggered, this, [this] { m_dispatcher.run(QStringLiteral("mnuRenameClick")); });
    // Return enters a folder as a double click does, for those who work from the keyboard.
    auto *enter = new QShortcut(QKeySequence(Qt::Key_Return), m_view.remoteList, nullptr, nullptr, Qt::WidgetShortcut);
    connect(enter, &QShortcut::activated, this, [this] { m_dispatcher.run(QStringLiteral("ListView1DblClick")); });
    connect(m_view.remoteList->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        m_dispatcher.run(QStringLiteral("ListView1ColumnClick"), column);
    });
    connect(m_view.localList->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        m_dispatcher.run(QStringLiteral("ListView2ColumnClick"), column);
    });
    connect(m_view.remoteList, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        m_view.remoteMenu->popup(m_view.remoteList->viewport()->mapToGlobal(at));
    });
    connect(m_view.driveBox, &QComboBox::activated, this, [this](int index) {
        m_dispatcher.run(QStringLiteral("DriveComboBox1Change"), index);
    });
    connect(m_view.folderTree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        m_dispatcher.run(QStringLiteral("DirectoryListBox1Change"));
    });
}

void TransferWindow::installPublishing()
{
    PublishCommand::Site site;
    site.record = [this]() -> std::optional<SiteRecord> {
        if (!m_book.contains(m_counter))
            return std::nullopt;
        return m_book.record(m_counter);
    };
    site.settings = [this] { return m_settingsEditor->settings(); };
    site.store = [this](const SiteSettings &settings) {
        m_settingsEditor->show(settings);
        showKeyFile();
        m_siteSettings.store(m_book.record(m_counter).name, settings);
        writeSiteSettings();
        emit siteShown();
    };
    m_publish = new PublishCommand(*m_runner,
                                   *m_commands,
                                   *m_remote,
                                   *m_local,
                                   *m_view.siteFolders,
                                   m_dialogs,
                                   *this,
                                   std::move(site),
                                   [this](const QString &text) { setStatus(text); });
    const auto add = [this](const char *name, std::function<void()> action) {
        m_dispatcher.add(QString::fromLatin1(name), [action = std::move(action)](int) { action(); });
    };
    const auto trigger = [this](auto *sender, auto signal, const char *handler) {
        const QString name = QString::fromLatin1(handler);
        connect(sender, signal, this, [this, name] { m_dispatcher.run(name); });
    };
    add("PublishUpdatesButtonClick", [this] { m_publish->publish(); });
    add("mnuPublishClick", [this] { m_publish->publish(); });
    add("mnuPublishSourceClick", [this] { m_publish->useLocalFolder(); });
    add("mnuPublishTargetClick", [this] { m_publish->useRemoteFolder(m_view.remoteFolder->text()); });
    add("SiteExclusionsButtonClick", [this] { m_publish->editExclusions(); });
    add("SiteCheckButtonClick", [this] {
        const SiteProfile site = shownSite();
        if (site.isNull())
            return m_dialogs.showError(this, PublishCommand::noSourceText());
        emit siteCheckRequested(site);
    });
    trigger(static_cast<QAbstractButton *>(m_view.siteCheckButton), &QAbstractButton::clicked, "SiteCheckButtonClick");
    trigger(
        static_cast<QAbstractButton *>(m_view.publishButton), &QAbstractButton::clicked, "PublishUpdatesButtonClick");
    trigger(static_cast<QAbstractButton *>(m_view.exclusionsButton),
            &QAbstractButton::clicked,
            "SiteExclusionsButtonClick");
    trigger(m_view.publishAction, &QAction::triggered, "mnuPublishClick");
    trigger(m_view.publishSourceAction, &QAction::triggered, "mnuPublishSourceClick");
    trigger(m_view.publishTargetAction, &QAction::triggered, "mnuPublishTargetClick");
    // The menu is about the current folder: a right click makes the one under the pointer
    // current before the menu opens, and the menu key keeps the one the keyboard chose.
    connect(m_view.folderTree, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        m_view.folderMenu->popup(m_view.folderTree->viewport()->mapToGlobal(at));
    });
}

QString TransferWindow::localFolder() const
{
    return m_local->folder();
}

void TransferWindow::setLocalFolder(const QString &folder)
{
    m_dispatcher.guard([&] { m_local->setFolder(folder); });
}

bool TransferWindow::isBusy() const
{
    return m_runner->isBusy() || m_passwords->isWaiting() || m_connector->isWaiting();
}

QString TransferWindow::statusText() const
{
    return m_view.statusPanel->text();
}

void TransferWindow::setUploadCheck(UploadCheck check)
{
    m_commands->setUploadCheck(std::move(check));
}

void TransferWindow::setPageErrorCount(PageErrorCount count)
{
    m_publish->setPageErrorCount(std::move(count));
}

void TransferWindow::setSiteCheck(PublishSiteMarks::Check check)
{
    m_publish->setSiteCheck(std::move(check));
}

void TransferWindow::setPermissionDialog(PermissionDialog &dialog)
{
    // The dialog belongs to this window: shown over it, and when it closes this window, not the
    // main one, is on top again.
    dialog.setParent(this, dialog.windowFlags());
    m_commands->setPermissionDialog(dialog);
}

void TransferWindow::setTimeLimits(const TransferTimeLimits &limits)
{
    m_remote->setTimeLimits(limits);
}

SiteProfile TransferWindow::shownSite() const
{
    if (!m_book.contains(m_counter))
        return {};
    return m_siteSettings.settings(m_book.record(m_counter).name).site;
}

QString TransferWindow::hostPublishing(const QString &localRoot) const
{
    for (int number = 1; number <= m_book.count(); ++number) {
        const SiteRecord record = m_book.record(number);
        const QString root = m_siteSettings.settings(record.name).site.localRoot;
        if (root.isEmpty() || QDir::cleanPath(root) != QDir::cleanPath(localRoot))
            continue;
        try {
            return FtpAddress::parse(record.host).host; // "example.jp:2121" is served by example.jp
        } catch (const UserError &) {
            return {};
        }
    }
    return {};
}

void TransferWindow::setCredentialStore(CredentialStore &store)
{
    m_passwords->setStore(store);
    m_connector->setKeyring(store);
}

void TransferWindow::setStatus(const QString &text)
{
    m_view.statusPanel->setText(text);
}

void TransferWindow::setCommandEnabled(QWidget *control, bool enabled)
{
    m_commandEnabled.insert(control, enabled);
    control->setEnabled(enabled && !m_runner->isBusy());
}

void TransferWindow::applyEnabled()
{
    const bool busy = m_runner->isBusy();
    for (auto it = m_commandEnabled.cbegin(); it != m_commandEnabled.cend(); ++it)
        it.key()->setEnabled(it.value() && !busy);
}

// ---- the site book ----

void TransferWindow::loadBook()
{
    m_bookPath = DataFolder::filePath(SiteBook::kFileName);
    m_view.remoteFolder->clear();
    for (QLineEdit *edit : m_view.siteEdits())
        edit->clear();
    m_dispatcher.guard([this] { m_book.load(m_bookPath); });
    m_passwords->bookLoaded();
    if (m_book.count() > 0)
        showSite(1);
}

void TransferWindow::writeBookQuietly()
{
    try {
        if (m_siteSettings.modified())
            m_siteSettings.write(m_siteSettingsPath);
    } catch (const std::exception &) {
        // As the book's below.
    }
    if (m_book.count() == 0)
        return;
    try {
        m_book.write(m_bookPath);
    } catch (const std::exception &) {
        // Closing must not stop on it; the book stays in memory and is written next time.
    }
}

void TransferWindow::loadSiteSettings()
{
    m_siteSettingsPath = DataFolder::filePath(SiteSettingsStore::kFileName);
    const auto warnIfDamaged = [this](const QString &path, bool damaged, const QString &first = QString()) {
        if (damaged)
            m_dialogs.warn(this, first + kDamagedSettingsNotice.arg(path, LineFile::backupPath(path)));
    };
    if (m_dispatcher.guard([this] { m_siteSettings.load(m_siteSettingsPath); })) {
        QStringList sites;
        for (const QString &site : m_siteSettings.unknownSecurity())
            sites.append(QStringLiteral("「%1」").arg(site));
        const QString unknown = sites.isEmpty()
            ? QString()
            : kUnknownSecurityNotice.arg(sites.join(QStringLiteral("、"))) + QStringLiteral("\n\n");
        warnIfDamaged(m_siteSettingsPath, m_siteSettings.damaged(), unknown);
    }
    for (const auto &[which, name] :
         {std::pair{SiteConnector::Identities::Certificates, TrustedCertificates::kFileName},
          std::pair{SiteConnector::Identities::HostKeys, TrustedCertificates::kKnownHostsFileName}}) {
        const QString trustedPath = DataFolder::filePath(name);
        if (m_dispatcher.guard([&] { m_connector->load(which, trustedPath); }))
            warnIfDamaged(trustedPath, m_connector->trustedDamaged(which));
    }
}

void TransferWindow::writeSiteSettings()
{
    m_dispatcher.guard([this] { m_siteSettings.write(m_siteSettingsPath); });
}

bool TransferWindow::bookHasName(const QString &name) const
{
    for (int number = 1; number <= m_book.count(); ++number) {
        if (m_book.record(number).name == name)
            return true;
    }
    return false;
}

void TransferWindow::storeSiteSettings(const QString &oldName, const QString &newName)
{
    // Another entry of the same name shares the settings; they stay for it.
    if (!oldName.isEmpty() && oldName != newName && !bookHasName(oldName))
        m_siteSettings.rename(oldName, newName);
    m_siteSettings.store(newName, m_settingsEditor->settings());
}

void TransferWindow::showSite(int number)
{
    m_counter = number;
    m_view.counter->setText(QString::number(number));
    const SiteRecord record = m_book.record(number); // empty outside the book
    m_view.nameEdit->setText(record.name);
    m_view.hostEdit->setText(record.host);
    m_view.userEdit->setText(record.user);
    m_view.passwordEdit->setText(record.password);
    m_view.remoteFolder->setText(record.folder);
    m_passwords->showingEntry(number);
    // Outside the book the boxes show what a new entry gets.
    m_settingsEditor->show(m_book.contains(number) ? m_siteSettings.settings(record.name) : SiteSettings::forNewSite());
    showKeyFile();
    m_publish->showSite();
    emit siteShown();
}

void TransferWindow::usePublishSource(const QString &folder)
{
    m_publish->useFolder(folder);
}

SiteRecord TransferWindow::typedRecord() const
{
    return {m_view.nameEdit->text(),
            m_view.hostEdit->text(),
            m_view.userEdit->text(),
            m_view.passwordEdit->text(),
            QString()};
}

void TransferWindow::previousSite()
{
    setCommandEnabled(m_view.nextButton, true);
    if (m_counter > 1)
        showSite(m_counter - 1);
}

void TransferWindow::nextSite()
{
    if (m_counter != m_book.count())
        showSite(m_counter + 1);
}

void TransferWindow::addSite()
{
    setCommandEnabled(m_view.nextButton, false);
    for (QLineEdit *edit : m_view.siteEdits())
        edit->clear();
    m_counter = m_book.count() + 1;
    m_view.counter->setText(QString::number(m_counter));
    m_passwords->showingEntry(m_counter);
    m_settingsEditor->show(SiteSettings::forNewSite());
    showKeyFile();
    m_publish->showSite();
}

void TransferWindow::saveSite()
{
    const SiteRecord record = typedRecord();
    const int number = m_counter == 0 ? 1 : m_counter;
    QString reason = SiteBook::invalidReason(record,
                                             m_passwords->keptOutsideBook(number) ? SiteBook::Password::KeptElsewhere
                                                                                  : SiteBook::Password::Required);
    if (reason.isEmpty())
        reason = m_book.nameTakenReason(number, record.name);
    if (!reason.isEmpty()) {
        m_dialogs.notify(this, reason);
        return;
    }
    const QString oldName = m_book.record(number).name;
    m_book.store(number, m_passwords->toStore(number, record));
    storeSiteSettings(oldName, record.name);
    m_passwords->beforeWrite();
    m_book.write(m_bookPath);
    m_siteSettings.write(m_siteSettingsPath);
    setCommandEnabled(m_view.nextButton, true);
}

void TransferWindow::cancelAdd()
{
    showSite(1);
    setCommandEnabled(m_view.nextButton, true);
}

void TransferWindow::deleteSite()
{
    const QString name = m_book.record(m_counter).name;
    if (!m_book.remove(m_counter))
        return;
    if (!bookHasName(name))
        m_siteSettings.remove(name);
    showSite(m_book.count() > 0 ? 1 : 0);
    setCommandEnabled(m_view.nextButton, true);
}

// ---- the connection ----

void TransferWindow::connectToSite()
{
    if (m_remote->isConnected() || isBusy())
        return;
    m_commands->setQuitting(false);
    m_disconnectAsked = false;
    const bool sftp = m_settingsEditor->settings().security == ConnectionMethod::Sftp;
    const FtpAddress address = FtpAddress::parse(m_view.hostEdit->text(), sftp ? 22 : 21);
    RemoteJobs::Login login;
    login.host = address.host;
    login.port = address.port;
    login.user = m_view.userEdit->text();
    login.folder = m_view.remoteFolder->text();
    const QString siteName = m_view.nameEdit->text();
    // The keyring answers later, and a question may come first: the job starts with the password.
    m_passwords->passwordFor(m_counter, typedRecord(), [this, login, siteName](const QString &password) mutable {
        if (m_remote->isConnected() || m_runner->isBusy())
            return;
        login.password = password;
        m_connector->connect(siteName, login);
    });
}

void TransferWindow::chooseKeyFile()
{
    const QString current = m_settingsEditor->settings().keyFile;
    if (!current.isEmpty()) {
        ChoiceRequest request;
        request.title = QStringLiteral("鍵ファイル");
        request.text = QStringLiteral("このサイトには鍵ファイル「%1」を使っています。").arg(current);
        request.icon = DialogIcon::Question;
        request.choices = {QStringLiteral("別の鍵ファイルを選ぶ"),
                           QStringLiteral("鍵ファイルを使わない"),
                           QStringLiteral("キャンセル")};
        request.escapeChoice = 2;
        const int choice = m_dialogs.choose(this, request).choice;
        if (choice == 1) {
            m_settingsEditor->setKeyFile({});
            showKeyFile();
        }
        if (choice != 0)
            return;
    }
    FileDialogRequest request;
    request.title = QStringLiteral("鍵ファイルを選ぶ");
    request.directory = current.isEmpty() ? QDir::home().filePath(QStringLiteral(".ssh")) : QFileInfo(current).path();
    request.filters = {QStringLiteral("すべてのファイル (*)")};
    if (const std::optional<QString> chosen = m_dialogs.chooseFile(this, request)) {
        m_settingsEditor->setKeyFile(*chosen);
        showKeyFile();
    }
}

void TransferWindow::showKeyFile()
{
    // Only an SFTP site has a key file.
    const SiteSettings settings = m_settingsEditor->settings();
    const bool sftp = settings.security == ConnectionMethod::Sftp;
    m_view.keyFileButton->setVisible(sftp);
    m_view.keyFileButton->setToolTip(settings.keyFile.isEmpty()
                                         ? QStringLiteral("SFTP のログインに使う秘密鍵のファイルを選びます（なし）")
                                         : QStringLiteral("SFTP のログインに使う秘密鍵: %1").arg(settings.keyFile));
    m_view.keyFileButton->setAccessibleDescription(m_view.keyFileButton->toolTip());
}

void TransferWindow::disconnectFromSite()
{
    m_disconnectAsked = true;
    m_remote->disconnect();
    SiteRecord record = typedRecord();
    record.folder = m_view.remoteFolder->text();
    // A folder whose name the book's line cannot keep would split it on the next reading; the
    // entry then opens at the login folder instead, and the user is told why.
    const QStringList refused = SiteBook::unstorableCharacters(record.folder);
    if (!refused.isEmpty())
        record.folder.clear();
    const QString oldName = m_book.record(m_counter).name;
    if (m_book.replace(m_counter, m_passwords->toStore(m_counter, record)))
        storeSiteSettings(oldName, record.name);
    if (!refused.isEmpty())
        m_dialogs.notify(this, kUnstorableFolderNotice.arg(refused.join(QStringLiteral("、"))));
}

void TransferWindow::quitAndClose()
{
    m_disconnectAsked = true;
    m_commands->setQuitting(true);
    m_remote->quit();
    close();
}

void TransferWindow::onConnected()
{
    m_remote->setConnected(true);
    setCommandEnabled(m_view.connectButton, false);
    setCommandEnabled(m_view.disconnectButton, true);
    for (QPushButton *button : m_view.siteButtons())
        setCommandEnabled(button, false);
    for (QLineEdit *edit : m_view.siteEdits())
        setCommandEnabled(edit, false);
    for (QComboBox *box : m_view.siteSettingBoxes())
        setCommandEnabled(box, false);
    // 接続中... stays until the login went through: a wrong password, a refused certificate or
    // a server that wants FTPS must not read as a success first.
    emit connectionChanged(true);
}

void TransferWindow::onLoggedIn()
{
    setStatus(QStringLiteral("接続成功"));
}

void TransferWindow::onDisconnected()
{
    m_remote->setConnected(false);
    // 切断成功 is for the user's own 切断 or 終了; a connection the server ended (or lost) says
    // so, and the window is disconnected at once, not at the next command's failure.
    setStatus(m_disconnectAsked ? QStringLiteral("切断成功") : QStringLiteral("切断されました"));
    setCommandEnabled(m_view.connectButton, true);
    setCommandEnabled(m_view.disconnectButton, false);
    for (QPushButton *button : m_view.siteButtons())
        setCommandEnabled(button, true);
    for (QLineEdit *edit : m_view.siteEdits())
        setCommandEnabled(edit, true);
    for (QComboBox *box : m_view.siteSettingBoxes())
        setCommandEnabled(box, true);
    emit connectionChanged(false);
}

void TransferWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_local->setFollowing(true);
}

void TransferWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_local->setFollowing(false);
}

void TransferWindow::refreshLists()
{
    m_local->updateInPlace();
    // The remote list is read again only when nothing else talks to the server.
    if (m_remote->isConnected() && !isBusy())
        m_remote->refresh();
}

void TransferWindow::closeEvent(QCloseEvent *event)
{
    if (m_book.count() > 0)
        m_passwords->beforeWrite();
    writeBookQuietly();
    QWidget::closeEvent(event);
}
