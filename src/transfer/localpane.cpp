#include "transfer/localpane.h"

#include "common/dateformat.h"
#include "common/ownfiles.h"
#include "transfer/listsort.h"
#include "transfer/listviewsort.h"
#include "transfer/localfolderreader.h"
#include "transfer/remotelistingparser.h"
#include "transfer/remotenames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QLocale>
#include <QStorageInfo>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <chrono>
#include <utility>

namespace {

// Files added per turn of the event loop: enough to fill fast, few enough to keep it lively.
constexpr int kSliceSize = 500;
// How long the folder must be quiet after a change before the list follows it.
constexpr std::chrono::milliseconds kSettleTime{300};

enum Column {
    NameColumn = 0,
    DateColumn = 1,
    SizeColumn = 2,
};

QString withoutTrailingSeparator(const QString &path)
{
    QString clean = QDir::cleanPath(path);
    return clean;
}

QString longTimeFormat()
{
    // The locale's long form names the time zone, which says nothing about a file's age.
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

void showEntry(QTreeWidgetItem &row, const LocalFolderReader::Entry &entry)
{
    row.setText(NameColumn, RemoteNames::decode(entry.name));
    row.setText(DateColumn, entry.modified.isValid() ? LocalPane::dateTimeText(entry.modified) : QString());
    row.setText(SizeColumn, RemoteListingParser::sizeText(entry.size));
}

} // namespace

LocalPane::LocalPane(QComboBox &drives,
                     QTreeView &tree,
                     QFileSystemModel &model,
                     QTreeWidget &list,
                     QCheckBox &selectAll,
                     ListSort &sort,
                     QObject *parent)
    : QObject(parent), m_drives(drives), m_tree(tree), m_model(model), m_list(list), m_selectAll(selectAll),
      m_sort(sort)
{
    for (const QString &root : reachableRoots())
        m_drives.addItem(m_tree.style()->standardIcon(QStyle::SP_DriveHDIcon), root, root);
    m_model.setRootPath(QStringLiteral("/"));
    // The model reads folders in the background; the chosen one comes into view once it is there.
    connect(&m_model, &QFileSystemModel::directoryLoaded, this, [this] {
        m_tree.scrollTo(m_tree.currentIndex(), QAbstractItemView::PositionAtCenter);
    });
    m_watcher = new QFileSystemWatcher(this);
    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleTime);
    // Started by the first change and not pushed back by the next ones, so that a folder that
    // keeps changing is still followed.
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!m_settle->isActive())
            m_settle->start();
    });
    connect(m_settle, &QTimer::timeout, this, &LocalPane::updateInPlace);
}

LocalPane::~LocalPane() = default;

QStringList LocalPane::reachableRoots()
{
    QStringList roots{QStringLiteral("/")};
    const QString home = QDir::homePath();
    if (!roots.contains(home))
        roots.append(home);
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        const bool removable = root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/mnt/"))
            || root.startsWith(QLatin1String("/run/media/"));
        const QFileInfo info(root);
        if (removable && volume.isValid() && volume.isReady() && info.isReadable() && info.isExecutable()
            && !roots.contains(root))
            roots.append(root);
    }
    return roots;
}

QString LocalPane::dateTimeText(const QDateTime &modified)
{
    const QString date = DateFormat::shortDate(modified.date());
    const QTime time = modified.time();
    if (time == QTime(0, 0))
        return date;
    return date + QLatin1Char(' ') + QLocale().toString(time, longTimeFormat());
}

void LocalPane::selectDriveFor(const QString &folder)
{
    int best = 0;
    qsizetype bestLength = 0;
    for (int i = 0; i < m_drives.count(); ++i) {
        const QString root = m_drives.itemData(i).toString();
        const bool inside = folder == root || folder.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + u'/');
        if (inside && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    const QSignalBlocker quiet(&m_drives);
    m_drives.setCurrentIndex(best);
    m_tree.setRootIndex(m_model.index(m_drives.itemData(best).toString()));
}

void LocalPane::setFolder(const QString &folder)
{
    const QString clean = withoutTrailingSeparator(QDir(folder).absolutePath());
    selectDriveFor(clean);
    const QModelIndex index = m_model.index(clean);
    m_followingTree = true;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        m_tree.expand(parent);
    m_tree.setCurrentIndex(index);
    m_tree.scrollTo(index);
    m_followingTree = false;
    m_folder = clean;
    QDir::setCurrent(m_folder);
    watchFolder();
    refresh();
}

void LocalPane::chooseDrive(int index)
{
    if (index < 0)
        return;
    setFolder(m_drives.itemData(index).toString());
}

void LocalPane::followTree()
{
    if (m_followingTree)
        return;
    const QString path = m_model.filePath(m_tree.currentIndex());
    if (path.isEmpty() || path == m_folder)
        return;
    m_folder = path;
    QDir::setCurrent(m_folder);
    watchFolder();
    refresh();
}

void LocalPane::watchFolder()
{
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    m_settle->stop();
    // A folder that cannot be watched (a system out of watches) is still listed; 更新 reads it.
    if (m_followingFolder && !m_folder.isEmpty())
        m_watcher->addPath(m_folder);
}

void LocalPane::setFollowing(bool following)
{
    if (following == m_followingFolder)
        return;
    m_followingFolder = following;
    watchFolder();
    if (following)
        updateInPlace();
}

void LocalPane::refresh()
{
    ++m_generation;
    m_unseen.clear();
    m_list.clear();
    m_reader = std::make_unique<LocalFolderReader>(QFile::encodeName(m_folder));
    fillSlice();
}

void LocalPane::updateInPlace()
{
    ++m_generation;
    m_unseen.clear();
    for (int i = 0; i < m_list.topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = m_list.topLevelItem(i);
        m_unseen.insert(row->data(NameColumn, kNameRole).toByteArray(), row);
    }
    m_reader = std::make_unique<LocalFolderReader>(QFile::encodeName(m_folder));
    fillSlice();
}

void LocalPane::fillSlice()
{
    if (!m_reader)
        return;
    static const QIcon fileIcon = m_list.style()->standardIcon(QStyle::SP_FileIcon);
    QList<QTreeWidgetItem *> rows;
    std::optional<LocalFolderReader::Entry> entry;
    const QByteArray folder = QFile::encodeName(m_folder) + '/';
    for (int read = 0; read < kSliceSize && (entry = m_reader->next()); ++read) {
        if (entry->leadsToFolder || OwnFiles::isPreviewCopy(QFile::decodeName(folder + entry->name)))
            continue;
        // Updating in place, a file listed already keeps its row, with what it is now.
        if (QTreeWidgetItem *shown = m_unseen.take(entry->name)) {
            showEntry(*shown, *entry);
            continue;
        }
        auto *row = new QTreeWidgetItem;
        showEntry(*row, *entry);
        row->setData(NameColumn, kNameRole, entry->name);
        row->setIcon(NameColumn, fileIcon);
        row->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
        rows.append(row);
    }
    m_list.addTopLevelItems(rows);
    if (!entry) {
        // What the folder did not show again is gone from it.
        qDeleteAll(std::exchange(m_unseen, {}));
        m_reader.reset();
        emit filled();
        return;
    }
    const quint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == m_generation)
            fillSlice();
    });
}

void LocalPane::sortBy(int column)
{
    m_sort.click(column);
    ListViewSort::sort(m_list, m_sort);
}

void LocalPane::applySelectAll()
{
    if (m_selectAll.isChecked())
        m_list.selectAll();
    else
        m_list.clearSelection();
    m_list.setFocus();
}
