#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class ListSort;
class LocalFolderReader;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QFileSystemWatcher;
class QTimer;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

// The local side of the transfer window: the drive list, the folder tree and the list of the
// chosen folder's files. Choosing a folder makes it the process's current folder. The file
// list fills in slices between window events, so a folder of many thousand files never stops
// the window. Names are read as bytes, so a file named in another encoding is listed (shown as
// CP932) like any other; the program's own preview copies are not listed. While following, a
// change in the folder (a page saved from the editor, a file another program made) updates the
// list in place, a moment later: rows keep their place and selection, new files are added at the
// end and gone ones removed. Refers to the controls and the shared sort state; owns the listing
// under way and the folder's watch.
class LocalPane final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LocalPane)

public:
    LocalPane(QComboBox &drives,
              QTreeView &tree,
              QFileSystemModel &model,
              QTreeWidget &list,
              QCheckBox &selectAll,
              ListSort &sort,
              QObject *parent);
    ~LocalPane() override;

    QString folder() const { return m_folder; }
    // Points the drive list and the folder tree at the folder and lists its files.
    void setFolder(const QString &folder);

    void refresh(); // RefreshLocalList
    // Reads the folder again into the rows shown: sizes and times change, new files come, gone
    // ones go, the rest keep their place and selection (更新).
    void updateInPlace();
    // Whether changes in the folder update the list (while the window shows); turning it on
    // updates the list at once.
    void setFollowing(bool following);
    void sortBy(int column);     // column click
    void applySelectAll();       // 全選択 changed
    void chooseDrive(int index); // DriveComboBox1 changed
    void followTree();           // DirectoryListBox1 changed

    bool isFilling() const { return m_reader != nullptr; }

    // The role of a file item's name as the file system's bytes; its text is the name shown
    // (CP932 when the bytes are not UTF-8), which may not name the file.
    static constexpr int kNameRole = Qt::UserRole;

    // The file-system roots a user can reach: "/", the home folder and mounted volumes.
    static QStringList reachableRoots();
    // "yyyy/MM/dd" and the locale's long time, without the time at exactly midnight.
    static QString dateTimeText(const QDateTime &modified);

signals:
    // The file list is complete.
    void filled();

private:
    void fillSlice();
    void selectDriveFor(const QString &folder);
    void watchFolder();

    QComboBox &m_drives;
    QTreeView &m_tree;
    QFileSystemModel &m_model;
    QTreeWidget &m_list;
    QCheckBox &m_selectAll;
    ListSort &m_sort;
    QString m_folder;
    std::unique_ptr<LocalFolderReader> m_reader;
    // While updating in place: the rows the folder has not shown again yet, by name.
    QHash<QByteArray, QTreeWidgetItem *> m_unseen;
    quint64 m_generation = 0;
    bool m_followingTree = false;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_settle = nullptr; // a save is several changes in a row: one update after them
    bool m_followingFolder = false;
};
