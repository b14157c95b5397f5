#include "transfer/transferwindowview.h"

#include "common/anchorlayout.h"
#include "common/namedwidget.h"
#include "common/uifont.h"
#include "transfer/remotelistmodel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kStatusPanelWidth = 250;
constexpr int kCreditPanelWidth = 50;
constexpr int kStatusBarHeight = 19;
constexpr QSize kDesignClientSize(TransferWindowView::kWidth, TransferWindowView::kHeight - kStatusBarHeight);

const QColor kLime(0x00, 0xFF, 0x00);
const QColor kBlue(0x00, 0x00, 0xFF);

void setColors(QWidget *widget, const QColor &text, const QColor &background = QColor())
{
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, text);
    if (background.isValid()) {
        p.setColor(QPalette::Window, background);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(p);
}

QPushButton *button(QWidget *parent, const char *name, const char *caption, const char *hint = nullptr)
{
    auto *b = named<QPushButton>(parent, name);
    b->setText(QString::fromUtf8(caption));
    b->setAutoDefault(false);
    if (hint) {
        b->setToolTip(QString::fromUtf8(hint));
        b->setAccessibleDescription(b->toolTip());
    }
    // "▲" alone says little to a screen reader; the hint says what it does.
    b->setAccessibleName(hint ? QString::fromUtf8(hint) : b->text());
    return b;
}

QLabel *caption(QWidget *parent, const char *name, const char *text, const QColor &color = Qt::white)
{
    auto *label = named<QLabel>(parent, name);
    label->setText(QString::fromUtf8(text));
    setColors(label, color);
    return label;
}

QLineEdit *edit(QWidget *parent, const char *name, QLabel *label)
{
    auto *e = named<QLineEdit>(parent, name);
    e->setAccessibleName(label->text().remove(QLatin1Char(' ')));
    label->setBuddy(e);
    return e;
}

QComboBox *settingBox(QWidget *parent, const char *name, QLabel *label)
{
    auto *box = named<QComboBox>(parent, name);
    box->setAccessibleName(label->text());
    label->setBuddy(box);
    return box;
}

// A report-style list: rows without a tree, several selectable, a clickable header.
void setUpList(QTreeView *list)
{
    // The window's black would show through the header beyond the last column.
    const QColor face = list->palette().color(QPalette::Button);
    setColors(list, Qt::black, face);
    setColors(list->header(), Qt::black, face);
    setColors(list->header()->viewport(), Qt::black, face);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setAllColumnsShowFocus(true);
    list->header()->setSectionsClickable(true);
    list->header()->setSectionsMovable(false);
    list->header()->setStretchLastSection(false);
}

void setColumnWidths(QTreeView *list, const QList<int> &widths)
{
    for (int i = 0; i < widths.size(); ++i)
        list->setColumnWidth(i, widths.at(i));
}

QTreeWidget *listView(QWidget *parent, const char *name, const QStringList &captions, const QList<int> &widths)
{
    auto *list = named<QTreeWidget>(parent, name);
    setUpList(list);
    list->setColumnCount(static_cast<int>(captions.size()));
    list->setHeaderLabels(captions);
    setColumnWidths(list, widths);
    return list;
}

// The remote list is a view of the parsed listing: a folder of a hundred thousand entries
// costs no widget item per row.
QTreeView *remoteListView(QWidget *parent, RemoteListModel *model)
{
    auto *list = named<QTreeView>(parent, "ListView1");
    setUpList(list);
    list->setModel(model);
    // The date shows with its year ("2026/12/08 09:30"), longer than a listing's "Dec 08 09:30":
    // its column is as wide as that text, so no date is cut to "…".
    const int dateWidth = list->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 00:00")) + 16;
    setColumnWidths(list, {120, std::max(90, dateWidth), 80, 80});
    return list;
}

} // namespace

TransferWindowView TransferWindowView::build(QWidget *window)
{
    TransferWindowView v;
    window->setFont(UiFont::windowFont());
    setColors(window, Qt::white, Qt::black);
    auto *outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto *client = new QWidget(window);
    client->setObjectName(QStringLiteral("Ftp1Client"));
    client->setAccessibleName(QStringLiteral("RODav"));
    auto *layout = new AnchorLayout(client, kDesignClientSize);

    auto *panel = named<QWidget>(client, "Panel1");
    panel->setAccessibleName(QStringLiteral("接続先情報"));
    setColors(panel, kBlue, kLime);
    auto *heading = caption(panel, "Label6", "接続先情報", kBlue);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    heading->setGeometry(8, 3, 120, 18);

    QLabel *nameLabel = caption(client, "Label1", "登 録 名");
    QLabel *hostLabel = caption(client, "Label2", "ホスト名");
    QLabel *userLabel = caption(client, "Label3", "ユーザーＩＤ");
    QLabel *passwordLabel = caption(client, "Label4", "パスワード");
    v.nameEdit = edit(client, "Edit1", nameLabel);
    v.hostEdit = edit(client, "Edit2", hostLabel);
    v.userEdit = edit(client, "Edit3", userLabel);
    v.passwordEdit = edit(client, "Edit4", passwordLabel);
    v.passwordEdit->setEchoMode(QLineEdit::Password);
    v.hostEdit->setToolTip(QStringLiteral("ポートが決まりの番号（FTP は 21、SFTP は 22）でないときは "
                                          "example.jp:2121、IPv6 アドレスは [2001:db8::1]:2121 のように書きます"));

    QLabel *securityLabel = caption(client, "SecurityLabel", "接続方式");
    QLabel *dataModeLabel = caption(client, "DataModeLabel", "転送モード");
    v.securityBox = settingBox(client, "SecurityComboBox", securityLabel);
    v.securityBox->setToolTip(QStringLiteral("FTPS はパスワードとファイルを暗号化して送ります"));
    v.securityBox->setAccessibleDescription(v.securityBox->toolTip());
    v.dataModeBox = settingBox(client, "DataModeComboBox", dataModeLabel);
    v.dataModeBox->setToolTip(
        QStringLiteral("自動はパッシブモードで接続し、サーバーが断ったときだけアクティブモードにします"));
    v.dataModeBox->setAccessibleDescription(v.dataModeBox->toolTip());
    v.keyFileButton = button(client, "KeyFileButton", "鍵...");
    v.keyFileButton->setAccessibleName(QStringLiteral("鍵ファイル"));

    v.addButton = button(client, "Button6", "追加");
    v.saveButton = button(client, "Button7", "保存");
    v.cancelAddButton = button(client, "Button8", "追加中止");
    v.deleteSiteButton = button(client, "Button9", "削除");
    v.previousButton = button(client, "Button4", "前");
    v.nextButton = button(client, "Button5", "次");
    v.counter = caption(client, "LblCount", "0");
    v.counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    v.counter->setAccessibleDescription(QStringLiteral("表示中の接続先の番号"));
    QLabel *counterUnit = caption(client, "Label7", "件目");
    v.connectButton = button(client, "Button1", "接続");
    v.disconnectButton = button(client, "Button2", "切断");
    v.quitButton = button(client, "Button3", "終了");

    v.upButton = named<QToolButton>(client, "BitBtn1");
    v.upButton->setIcon(client->style()->standardIcon(QStyle::SP_ArrowUp));
    v.upButton->setToolTip(QStringLiteral("１つ上のﾌｫﾙﾀﾞへ"));
    v.upButton->setAccessibleName(v.upButton->toolTip());
    v.upButton->setFocusPolicy(Qt::TabFocus);
    v.remoteFolder = caption(client, "Label5", "", kLime);
    v.remoteFolder->setAccessibleDescription(QStringLiteral("現在のリモートフォルダ"));
    v.remoteFolder->setTextFormat(Qt::PlainText);

    v.remoteModel = new RemoteListModel(client);
    v.remoteModel->setObjectName(QStringLiteral("RemoteListModel"));
    v.remoteList = remoteListView(client, v.remoteModel);
    v.remoteList->setAccessibleName(QStringLiteral("リモートフォルダの一覧"));
    v.remoteList->setContextMenuPolicy(Qt::CustomContextMenu);
    v.remoteMenu = new QMenu(v.remoteList);
    v.remoteMenu->setObjectName(QStringLiteral("PopupMenu1"));
    v.permissionAction = v.remoteMenu->addAction(QStringLiteral("パーミション"));
    v.permissionAction->setObjectName(QStringLiteral("mnuPermission"));
    v.makeFolderAction = v.remoteMenu->addAction(QStringLiteral("フォルダ作成"));
    v.makeFolderAction->setObjectName(QStringLiteral("mnuMakeFolder"));
    v.deleteAction = v.remoteMenu->addAction(QStringLiteral("削除"));
    v.deleteAction->setObjectName(QStringLiteral("mnuDelete"));
    v.renameAction = v.remoteMenu->addAction(QStringLiteral("名前の変更"));
    v.renameAction->setObjectName(QStringLiteral("mnuRename"));
    // F2 works on the list itself too, not only while the menu is open.
    v.renameAction->setShortcut(QKeySequence(Qt::Key_F2));
    v.renameAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    v.remoteList->addAction(v.renameAction);
    v.remoteMenu->addSeparator();
    v.publishTargetAction = v.remoteMenu->addAction(QStringLiteral("このフォルダを公開先にする"));
    v.publishTargetAction->setObjectName(QStringLiteral("mnuPublishTarget"));
    v.publishAction = v.remoteMenu->addAction(QStringLiteral("更新分を公開"));
    v.publishAction->setObjectName(QStringLiteral("mnuPublish"));

    QLabel *siteFoldersLabel = caption(client, "SiteFoldersLabel", "公開元");
    v.siteFolders = caption(client, "SiteFolders", "", kLime);
    v.siteFolders->setTextFormat(Qt::PlainText);
    v.siteFolders->setAccessibleName(QStringLiteral("公開元と公開先のフォルダ"));
    siteFoldersLabel->setBuddy(v.siteFolders);
    v.publishButton = button(client, "PublishUpdatesButton", "更新分を公開");
    v.publishButton->setToolTip(QStringLiteral("前回の公開から変わったファイルだけを送ります"));
    v.publishButton->setAccessibleDescription(v.publishButton->toolTip());
    v.exclusionsButton = button(client, "SiteExclusionsButton", "除外…");
    v.exclusionsButton->setToolTip(QStringLiteral("更新分を公開で送らないファイルとフォルダを決めます"));
    v.exclusionsButton->setAccessibleName(QStringLiteral("公開しないもの"));
    v.exclusionsButton->setAccessibleDescription(v.exclusionsButton->toolTip());
    // The row is narrow: the button says チェック, its accessible name the command's own.
    v.siteCheckButton = button(client, "SiteCheckButton", "チェック");
    v.siteCheckButton->setToolTip(QStringLiteral("公開元のサイト全体を、公開の前にサイトチェックします"));
    v.siteCheckButton->setAccessibleName(QStringLiteral("サイトチェック"));
    v.siteCheckButton->setAccessibleDescription(v.siteCheckButton->toolTip());

    v.uploadFolderButton = button(client, "Button11", "↑ﾌｫﾙﾀﾞｱｯﾌﾟﾛｰﾄﾞ");
    v.downloadFolderButton = button(client, "Button15", "↓ﾌｫﾙﾀﾞﾀﾞｳﾝﾛｰﾄﾞ");
    v.uploadButton = button(client, "Button10", "▲", "アップロードします");
    v.downloadButton = button(client, "Button16", "▼", "ダウンロードします");
    v.selectAllBox = named<QCheckBox>(client, "CheckBox1");
    v.selectAllBox->setText(QStringLiteral("全選択"));
    v.selectAllBox->setAccessibleName(v.selectAllBox->text());
    setColors(v.selectAllBox, Qt::white);
    v.refreshButton = button(client, "RefreshButton", "更新");
    v.refreshButton->setToolTip(QStringLiteral("リモートとローカルの一覧を読み直します (F5)"));
    v.refreshButton->setAccessibleDescription(v.refreshButton->toolTip());

    v.driveBox = named<QComboBox>(client, "DriveComboBox1");
    v.driveBox->setAccessibleName(QStringLiteral("ドライブ"));
    v.folderModel = new QFileSystemModel(client);
    v.folderModel->setObjectName(QStringLiteral("DirectoryModel"));
    v.folderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    v.folderModel->setReadOnly(true);
    v.folderTree = named<QTreeView>(client, "DirectoryListBox1");
    v.folderTree->setAccessibleName(QStringLiteral("ローカルフォルダ"));
    v.folderTree->setModel(v.folderModel);
    v.folderTree->setContextMenuPolicy(Qt::CustomContextMenu);
    v.folderMenu = new QMenu(v.folderTree);
    v.folderMenu->setObjectName(QStringLiteral("FolderMenu"));
    v.publishSourceAction = v.folderMenu->addAction(QStringLiteral("このフォルダを公開元にする"));
    v.publishSourceAction->setObjectName(QStringLiteral("mnuPublishSource"));
    setColors(v.folderTree, Qt::black, v.folderTree->palette().color(QPalette::Button));
    v.folderTree->setHeaderHidden(true);
    for (int column = 1; column < v.folderModel->columnCount(); ++column)
        v.folderTree->hideColumn(column);
    v.localList = listView(client,
                           "ListView2",
                           {QStringLiteral("ファイル名"), QStringLiteral("更新日時"), QStringLiteral("サイズ")},
                           {120, 130, 90});
    v.localList->setAccessibleName(QStringLiteral("ローカルフォルダのファイル"));
    v.localList->headerItem()->setTextAlignment(2, Qt::AlignLeft | Qt::AlignVCenter);

    constexpr auto bottomLeft = AnchorLayout::Anchors(AnchorLayout::Left | AnchorLayout::Bottom);
    constexpr auto bottomStretch =
        AnchorLayout::Anchors(AnchorLayout::Left | AnchorLayout::Right | AnchorLayout::Bottom);
    constexpr auto topRight = AnchorLayout::Anchors(AnchorLayout::Top | AnchorLayout::Right);
    layout->addWidget(panel, {0, 0, 480, 24}, AnchorLayout::TopLeftRight);
    const QList<std::pair<QLabel *, QLineEdit *>> rows = {
        {nameLabel, v.nameEdit}, {hostLabel, v.hostEdit}, {userLabel, v.userEdit}, {passwordLabel, v.passwordEdit}};
    const QList<QPushButton *> rowButtons = {v.addButton, v.saveButton, v.cancelAddButton, v.deleteSiteButton};
    for (int i = 0; i < rows.size(); ++i) {
        const int y = 30 + i * 24;
        layout->addWidget(rows[i].first, {8, y, 76, 21});
        layout->addWidget(rows[i].second, {86, y, 160, 21});
        layout->addWidget(rowButtons[i], {252, y, 64, 21});
    }
    layout->addWidget(v.previousButton, {86, 128, 40, 21});
    layout->addWidget(v.nextButton, {130, 128, 40, 21});
    layout->addWidget(v.counter, {176, 128, 30, 21});
    layout->addWidget(counterUnit, {210, 128, 36, 21});
    layout->addWidget(v.connectButton, {400, 30, 72, 24}, topRight);
    layout->addWidget(v.disconnectButton, {400, 58, 72, 24}, topRight);
    layout->addWidget(v.quitButton, {400, 86, 72, 24}, topRight);
    // The site's connection settings, under the site's fields.
    layout->addWidget(securityLabel, {8, 154, 76, 21});
    layout->addWidget(v.securityBox, {86, 154, 160, 22});
    layout->addWidget(dataModeLabel, {256, 154, 64, 21});
    layout->addWidget(v.dataModeBox, {324, 154, 100, 22});
    layout->addWidget(v.keyFileButton, {428, 154, 44, 22});
    // The site's publishing folders and the command that publishes it.
    layout->addWidget(siteFoldersLabel, {8, 180, 48, 21});
    layout->addWidget(v.siteFolders, {58, 180, 194, 21}, AnchorLayout::TopLeftRight);
    layout->addWidget(v.siteCheckButton, {256, 179, 60, 23}, topRight);
    layout->addWidget(v.exclusionsButton, {320, 179, 52, 23}, topRight);
    layout->addWidget(v.publishButton, {376, 179, 96, 23}, topRight);
    layout->addWidget(v.upButton, {4, 204, 24, 20});
    layout->addWidget(v.remoteFolder, {32, 204, 444, 20}, AnchorLayout::TopLeftRight);
    layout->addWidget(v.remoteList, {4, 226, 472, 128}, AnchorLayout::All);
    layout->addWidget(v.uploadFolderButton, {4, 358, 116, 22}, bottomLeft);
    layout->addWidget(v.downloadFolderButton, {124, 358, 116, 22}, bottomLeft);
    layout->addWidget(v.uploadButton, {244, 358, 40, 22}, bottomLeft);
    layout->addWidget(v.downloadButton, {288, 358, 40, 22}, bottomLeft);
    layout->addWidget(v.selectAllBox, {340, 358, 76, 22}, bottomLeft);
    layout->addWidget(v.refreshButton, {420, 358, 56, 22}, bottomLeft);
    layout->addWidget(v.driveBox, {4, 384, 176, 22}, bottomLeft);
    layout->addWidget(v.folderTree, {4, 408, 176, 99}, bottomLeft);
    layout->addWidget(v.localList, {184, 384, 292, 123}, bottomStretch);
    outer->addWidget(client, 1);

    v.statusBar = named<QStatusBar>(window, "StatusBar1");
    v.statusBar->setSizeGripEnabled(false);
    v.statusBar->setFont(UiFont::statusFont());
    setColors(v.statusBar, Qt::black, v.statusBar->palette().color(QPalette::Button));
    v.statusPanel = named<QLabel>(v.statusBar, "StatusPanel1");
    v.statusPanel->setFixedWidth(kStatusPanelWidth);
    v.statusPanel->setText(QStringLiteral("RODav"));
    v.statusPanel->setAccessibleDescription(QStringLiteral("状態"));
    v.creditPanel = named<QLabel>(v.statusBar, "StatusPanel2");
    v.creditPanel->setFixedWidth(kCreditPanelWidth);
    v.creditPanel->setText(QStringLiteral("QZWeb"));
    v.creditPanel->setAccessibleDescription(QStringLiteral("クレジット"));
    v.statusBar->addWidget(v.statusPanel);
    v.statusBar->addWidget(v.creditPanel);
    v.statusBar->setFixedHeight(kStatusBarHeight);
    outer->addWidget(v.statusBar);

    QWidget::setTabOrder(v.nameEdit, v.hostEdit);
    QWidget::setTabOrder(v.hostEdit, v.userEdit);
    QWidget::setTabOrder(v.userEdit, v.passwordEdit);
    QWidget::setTabOrder(v.passwordEdit, v.addButton);
    QWidget::setTabOrder(v.addButton, v.saveButton);
    QWidget::setTabOrder(v.saveButton, v.cancelAddButton);
    QWidget::setTabOrder(v.cancelAddButton, v.deleteSiteButton);
    QWidget::setTabOrder(v.deleteSiteButton, v.previousButton);
    QWidget::setTabOrder(v.previousButton, v.nextButton);
    QWidget::setTabOrder(v.nextButton, v.securityBox);
    QWidget::setTabOrder(v.securityBox, v.dataModeBox);
    QWidget::setTabOrder(v.dataModeBox, v.keyFileButton);
    QWidget::setTabOrder(v.keyFileButton, v.connectButton);
    QWidget::setTabOrder(v.connectButton, v.disconnectButton);
    QWidget::setTabOrder(v.disconnectButton, v.quitButton);
    QWidget::setTabOrder(v.quitButton, v.siteCheckButton);
    QWidget::setTabOrder(v.siteCheckButton, v.exclusionsButton);
    QWidget::setTabOrder(v.exclusionsButton, v.publishButton);
    QWidget::setTabOrder(v.publishButton, v.upButton);
    QWidget::setTabOrder(v.upButton, v.remoteList);
    QWidget::setTabOrder(v.remoteList, v.uploadFolderButton);
    QWidget::setTabOrder(v.uploadFolderButton, v.downloadFolderButton);
    QWidget::setTabOrder(v.downloadFolderButton, v.uploadButton);
    QWidget::setTabOrder(v.uploadButton, v.downloadButton);
    QWidget::setTabOrder(v.downloadButton, v.selectAllBox);
    QWidget::setTabOrder(v.selectAllBox, v.refreshButton);
    QWidget::setTabOrder(v.refreshButton, v.driveBox);
    QWidget::setTabOrder(v.driveBox, v.folderTree);
    QWidget::setTabOrder(v.folderTree, v.localList);
    return v;
}
