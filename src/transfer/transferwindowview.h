#pragma once

#include <QList>

class QAction;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStatusBar;
class QToolButton;
class QTreeView;
class QTreeWidget;
class QWidget;
class RemoteListModel;

// The controls of the transfer window at their designed places, with their designed names,
// captions and hints. Knows nothing of what they do; the window and its two panes wire them.
struct TransferWindowView
{
    static constexpr int kWidth = 480;
    // Taller than the first design by the rows of the site's connection settings and of its
    // publishing folders.
    static constexpr int kHeight = 530;

    QLineEdit *nameEdit = nullptr;           // Edit1
    QLineEdit *hostEdit = nullptr;           // Edit2
    QLineEdit *userEdit = nullptr;           // Edit3
    QLineEdit *passwordEdit = nullptr;       // Edit4
    QPushButton *connectButton = nullptr;    // Button1 接続
    QPushButton *disconnectButton = nullptr; // Button2 切断
    QPushButton *quitButton = nullptr;       // Button3 終了
    QPushButton *previousButton = nullptr;   // Button4 前
    QPushButton *nextButton = nullptr;       // Button5 次
    QPushButton *addButton = nullptr;        // Button6 追加
    QPushButton *saveButton = nullptr;       // Button7 保存
    QPushButton *cancelAddButton = nullptr;  // Button8 追加中止
    QPushButton *deleteSiteButton = nullptr; // Button9 削除
    QComboBox *securityBox = nullptr;        // 接続方式
    QComboBox *dataModeBox = nullptr;        // 転送モード
    QPushButton *keyFileButton = nullptr;    // 鍵: an SFTP site's key file, shown for SFTP only
    QLabel *counter = nullptr;               // LblCount
    QLabel *siteFolders = nullptr;           // 公開元: the local folder → the remote one
    QPushButton *publishButton = nullptr;    // 更新分を公開
    QPushButton *exclusionsButton = nullptr; // 除外…: what a publish leaves out
    QPushButton *siteCheckButton = nullptr;  // サイトチェック of the site published
    QLabel *remoteFolder = nullptr;          // Label5
    QToolButton *upButton = nullptr;         // BitBtn1
    QTreeView *remoteList = nullptr;         // ListView1
    RemoteListModel *remoteModel = nullptr;  // its rows
    QMenu *remoteMenu = nullptr;             // PopupMenu1
    QAction *permissionAction = nullptr;
    QAction *makeFolderAction = nullptr;
    QAction *deleteAction = nullptr;
    QAction *renameAction = nullptr;             // 名前の変更 (F2)
    QAction *publishTargetAction = nullptr;      // このフォルダを公開先にする
    QAction *publishAction = nullptr;            // 更新分を公開
    QPushButton *uploadFolderButton = nullptr;   // Button11
    QPushButton *downloadFolderButton = nullptr; // Button15
    QPushButton *uploadButton = nullptr;         // Button10
    QPushButton *downloadButton = nullptr;       // Button16
    QCheckBox *selectAllBox = nullptr;           // CheckBox1
    QPushButton *refreshButton = nullptr;        // 更新 (F5): both lists
    QComboBox *driveBox = nullptr;               // DriveComboBox1
    QTreeView *folderTree = nullptr;             // DirectoryListBox1
    QFileSystemModel *folderModel = nullptr;
    QMenu *folderMenu = nullptr;            // the folder tree's pop-up menu
    QAction *publishSourceAction = nullptr; // このフォルダを公開元にする
    QTreeWidget *localList = nullptr;       // ListView2
    QStatusBar *statusBar = nullptr;        // StatusBar1
    QLabel *statusPanel = nullptr;
    QLabel *creditPanel = nullptr;

    static TransferWindowView build(QWidget *window);

    QList<QLineEdit *> siteEdits() const { return {nameEdit, hostEdit, userEdit, passwordEdit}; }
    QList<QComboBox *> siteSettingBoxes() const { return {securityBox, dataModeBox}; }
    QList<QPushButton *> siteButtons() const
    {
        return {previousButton, nextButton, addButton, saveButton, cancelAddButton, deleteSiteButton, keyFileButton};
    }
};
