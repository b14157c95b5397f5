#include "app/sitepanel.h"

#include "app/mainmenu.h"
#include "app/menubuilder.h"
#include "app/sitefilecommands.h"
#include "app/sitetreemodel.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

MenuEntry command(const char *name, const char *caption, const char *handler, const char *shortcut = "")
{
    return {QString::fromLatin1(name),
            QString::fromUtf8(caption),
            QString::fromLatin1(handler),
            0,
            QString::fromLatin1(shortcut),
            {}};
}

MenuEntry separator(const char *name)
{
    return {QString::fromLatin1(name), QStringLiteral("-"), {}, 0, {}, {}};
}

QList<MenuEntry> popupEntries()
{
    return {
        command("SiteNewPage", "新しいページ", "SiteNewPageClick"),
        command("SiteNewFolder", "新しいフォルダ", "SiteNewFolderClick"),
        separator("SitePopupSep1"),
        command("SiteRename", "名前の変更", "SiteRenameClick", "F2"),
        command("SiteMove", "移動...", "SiteMoveClick"),
        command("SiteDelete", "削除", "SiteDeleteClick", "Del"),
        // Handled by the window, which made the move.
        command("SiteMoveUndo", "元に戻す（名前の変更・移動）", "SiteMoveUndoClick"),
        separator("SitePopupSep2"),
        command("SitePublishSource", "公開元にする", "SitePublishSourceClick"),
        separator("SitePopupSep3"),
        // Handled by the window, which owns the check.
        command("SiteCheck", "サイトチェック", "SiteCheckClick"),
    };
}

} // namespace

SitePanel::SitePanel(UserDialogs &dialogs, std::function<bool(const QString &path)> isEdited, QWidget *parent)
    : QDockWidget(QStringLiteral("サイト"), parent), m_dispatcher(dialogs, *this), m_model(new SiteTreeModel(this)),
      m_files(std::make_unique<SiteFileCommands>(dialogs, *this, std::move(isEdited)))
{
    setObjectName(QStringLiteral("SitePanel"));
    setAccessibleName(QStringLiteral("サイト"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    buildControls();
    buildPopupMenu();
    registerCommands();
}

SitePanel::~SitePanel() = default;

void SitePanel::closeEvent(QCloseEvent *event)
{
    QDockWidget::closeEvent(event);
    emit closedByUser();
}

void SitePanel::buildControls()
{
    auto *body = new QWidget(this);
    body->setObjectName(QStringLiteral("SitePanelBody"));
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(2, 2, 2, 2);
    m_rootLabel = new QLabel(body);
    m_rootLabel->setObjectName(QStringLiteral("SiteRootLabel"));
    // Its text is the folder; what the text is, the description says.
    m_rootLabel->setAccessibleDescription(QStringLiteral("サイトのフォルダ"));
    m_rootLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_rootLabel->setWordWrap(true);
    m_tree = new QTreeView(body);
    m_tree->setObjectName(QStringLiteral("SiteTree"));
    m_tree->setAccessibleName(QStringLiteral("サイトのファイル"));
    m_tree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->header()->hide();
    m_tree->setDragEnabled(true);
    m_tree->setAcceptDrops(true);
    m_tree->setDropIndicatorShown(true);
    m_tree->setDragDropMode(QAbstractItemView::DragDrop);
    m_tree->setDefaultDropAction(Qt::CopyAction);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->setExpandsOnDoubleClick(true);
    m_notice = new QLabel(body);
    m_notice->setObjectName(QStringLiteral("SiteNotice"));
    m_notice->setAccessibleDescription(QStringLiteral("サイトの欄に出せないファイル"));
    m_notice->setWordWrap(true);
    m_notice->hide();
    m_hiddenFiles = new QCheckBox(QStringLiteral("隠しファイルも表示"), body);
    m_hiddenFiles->setObjectName(QStringLiteral("SiteHiddenFiles"));
    m_hiddenFiles->setAccessibleName(m_hiddenFiles->text());
    layout->addWidget(m_rootLabel);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_notice);
    layout->addWidget(m_hiddenFiles);
    setWidget(body);
    setFocusProxy(m_tree);

    connect(m_tree, &QAbstractItemView::activated, this, &SitePanel::open);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &SitePanel::selectPending);
    connect(m_model, &SiteTreeModel::folderRead, this, &SitePanel::checkNames);
    // After the drag has ended: the move asks its questions outside the drag's own loop.
    connect(
        m_model,
        &SiteTreeModel::entryDropped,
        this,
        [this](const QString &path, const QString &folder) {
            m_dispatcher.guard([&] {
                if (const std::optional<QString> target = m_files->checkedMove(path, folder))
                    emit moveRequested(path, *target);
            });
        },
        Qt::QueuedConnection);
    connect(m_hiddenFiles, &QCheckBox::toggled, this, [this](bool shown) {
        m_model->setHiddenFiles(shown ? Site::HiddenFiles::Shown : Site::HiddenFiles::Left);
        emit hiddenFilesChanged(shown);
    });
    connect(m_tree, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        // From the keyboard the point is where the current entry is, or the corner.
        m_popup->popup(m_tree->viewport()->mapToGlobal(at));
    });
}

void SitePanel::buildPopupMenu()
{
    MenuBuilder builder([this](const QString &handler, int tag) { m_dispatcher.run(handler, tag); });
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("SitePopupMenu"));
    m_popup->setAccessibleName(QStringLiteral("サイトのメニュー"));
    builder.fill(m_popup, popupEntries());
    // F2 and Delete work in the tree without the menu open.
    for (QAction *action : m_popup->actions()) {
        if (action->isSeparator())
            continue;
        action->setShortcutContext(Qt::WidgetShortcut);
        m_tree->addAction(action);
    }
}

void SitePanel::registerCommands()
{
    m_dispatcher.add(QStringLiteral("SiteNewPageClick"), [this](int) {
        if (const std::optional<QString> page = m_files->newPage(targetFolder())) {
            select(*page);
            emit pageOpened(*page);
        }
    });
    m_dispatcher.add(QStringLiteral("SiteNewFolderClick"), [this](int) {
        if (const std::optional<QString> folder = m_files->newFolder(targetFolder()))
            select(*folder);
    });
    m_dispatcher.add(QStringLiteral("SiteRenameClick"), [this](int) {
        const QModelIndex index = m_tree->currentIndex();
        if (!index.isValid() || index == m_model->rootIndex())
            return;
        const QString path = m_model->filePath(index);
        if (const std::optional<QString> target = m_files->askRename(path))
            emit moveRequested(path, *target);
    });
    m_dispatcher.add(QStringLiteral("SiteMoveClick"), [this](int) {
        const QModelIndex index = m_tree->currentIndex();
        if (!index.isValid() || index == m_model->rootIndex())
            return;
        const QString path = m_model->filePath(index);
        if (const std::optional<QString> target = m_files->askMove(path, m_model->site().root()))
            emit moveRequested(path, *target);
    });
    m_dispatcher.add(QStringLiteral("SiteDeleteClick"), [this](int) {
        const QModelIndex index = m_tree->currentIndex();
        if (!index.isValid() || index == m_model->rootIndex())
            return;
        m_files->moveToTrash(m_model->filePath(index));
    });
    m_dispatcher.add(QStringLiteral("SitePublishSourceClick"), [this](int) {
        const QModelIndex index = m_tree->currentIndex();
        const QString folder = m_model->isFolder(index) ? m_model->filePath(index) : m_model->site().root();
        if (!folder.isEmpty())
            emit publishSourceChosen(folder);
    });
}

void SitePanel::setSite(const Site &site)
{
    const bool sameRoot = site.root() == m_model->site().root();
    m_model->setSite(site);
    if (!sameRoot) {
        m_tree->setRootIndex(m_model->rootIndex());
        m_unnamed.clear();
        showUnnamed();
    }
    showRoot();
}

const Site &SitePanel::site() const
{
    return m_model->site();
}

void SitePanel::showRoot()
{
    const QString root = m_model->site().root();
    if (root.isEmpty()) {
        m_rootLabel->setText(QStringLiteral("（サイトのフォルダがありません）"));
        return;
    }
    const QFileInfo folder(root);
    if (!folder.isDir())
        m_rootLabel->setText(QStringLiteral("サイトのフォルダ %1 がありません").arg(QDir::toNativeSeparators(root)));
    else if (!folder.isReadable() || !folder.isExecutable())
        m_rootLabel->setText(QStringLiteral("サイトのフォルダ %1 を読めません").arg(QDir::toNativeSeparators(root)));
    else
        m_rootLabel->setText(QDir::toNativeSeparators(root));
    m_rootLabel->setToolTip(m_rootLabel->text());
}

void SitePanel::checkNames(const QString &path)
{
    const std::optional<QByteArray> folder = m_model->site().pathOf(path);
    if (!folder)
        return;
    const QList<QByteArray> names =
        m_model->site().namesNotUtf8(*folder, showsHiddenFiles() ? Site::HiddenFiles::Shown : Site::HiddenFiles::Left);
    if (names.isEmpty())
        m_unnamed.remove(*folder);
    else
        m_unnamed.insert(*folder, names);
    showUnnamed();
}

void SitePanel::showUnnamed()
{
    QStringList names;
    for (const QList<QByteArray> &folder : std::as_const(m_unnamed)) {
        for (const QByteArray &name : folder)
            names.append(Site::displayName(name));
    }
    m_notice->setVisible(!names.isEmpty());
    // Qt's file system model cannot name them, so it leaves them out; they are still the site's.
    m_notice->setText(names.isEmpty() ? QString()
                                      : QStringLiteral("名前が UTF-8 でないため、ここに出せないファイルがあります: %1"
                                                       "（ファイルマネージャーで名前を付け直すと出ます）")
                                            .arg(names.join(QStringLiteral("、"))));
}

void SitePanel::setCurrentPage(const QString &path)
{
    m_model->setCurrentPage(path);
}

bool SitePanel::showsHiddenFiles() const
{
    return m_hiddenFiles->isChecked();
}

void SitePanel::setShowsHiddenFiles(bool shown)
{
    m_hiddenFiles->setChecked(shown);
}

QString SitePanel::currentPath() const
{
    const QModelIndex index = m_tree->currentIndex();
    return index.isValid() ? m_model->filePath(index) : m_model->site().root();
}

void SitePanel::select(const QString &path)
{
    m_pendingSelection = path;
    selectPending();
}

void SitePanel::selectPending()
{
    if (m_pendingSelection.isEmpty())
        return;
    const QModelIndex index = m_model->indexOf(m_pendingSelection);
    if (!index.isValid())
        return; // the file system model reads the folder in the background; its rows come later
    m_pendingSelection.clear();
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index);
}

void SitePanel::open(const QModelIndex &index)
{
    if (!index.isValid() || m_model->isFolder(index))
        return; // a folder opens in the tree itself
    const QString path = m_model->filePath(index);
    if (m_model->kind(index) == SiteFileKind::Image)
        emit imageOpened(path);
    else
        emit pageOpened(path);
}

QString SitePanel::targetFolder() const
{
    const QModelIndex index = m_tree->currentIndex();
    if (!index.isValid())
        return m_model->site().root();
    const QString path = m_model->filePath(index);
    return m_model->isFolder(index) ? path : QFileInfo(path).absolutePath();
}
