#include "app/sitetreemodel.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QFont>
#include <QIcon>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QUrl>

namespace {

struct KindIcon
{
    const char *theme;
    QColor mark; // where the desktop has no icon for the kind: the plain file icon, marked so
};

QIcon markedFileIcon(const QColor &mark)
{
    QPixmap pixmap = QApplication::style()->standardIcon(QStyle::SP_FileIcon).pixmap(16, 16);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::white);
    painter.setBrush(mark);
    painter.drawEllipse(QRectF(7.5, 7.5, 8, 8));
    return QIcon(pixmap);
}

// The desktop's icon for each kind where its theme has one; else the style's, marked by kind.
QIcon iconOf(SiteFileKind kind)
{
    static const QHash<SiteFileKind, KindIcon> icons = {
        {SiteFileKind::Page, {"text-html", QColor(0x1e, 0x6f, 0xd9)}},
        {SiteFileKind::Image, {"image-x-generic", QColor(0x2e, 0x9e, 0x44)}},
        {SiteFileKind::StyleSheet, {"text-css", QColor(0xe0, 0x7b, 0x00)}},
        {SiteFileKind::Script, {"text-x-script", QColor(0x8e, 0x44, 0xad)}},
    };
    if (kind == SiteFileKind::Folder)
        return QIcon::fromTheme(QStringLiteral("folder"), QApplication::style()->standardIcon(QStyle::SP_DirIcon));
    const auto row = icons.constFind(kind);
    if (row == icons.constEnd())
        return QIcon::fromTheme(QStringLiteral("text-x-generic"),
                                QApplication::style()->standardIcon(QStyle::SP_FileIcon));
    const QString name = QString::fromLatin1(row->theme);
    return QIcon::hasThemeIcon(name) ? QIcon::fromTheme(name) : markedFileIcon(row->mark);
}

// The tree draws each entry's icon from its kind and hides the type column. The file system
// model's own icons and types would each be looked up in the desktop's MIME database, on the
// GUI thread, for every file of a folder each time the folder is read again: with the preview
// file written beside the page at each switch of tabs, that was some 10 ms after every switch in a
// folder of 50 pages, and 200 ms of a start that brings back pages.
class NoFileIcons final : public QAbstractFileIconProvider
{
public:
    QIcon icon(IconType) const override { return {}; }
    QIcon icon(const QFileInfo &) const override { return {}; }
    // Never empty: the model shows no entry whose type is empty.
    QString type(const QFileInfo &info) const override
    {
        return info.isDir() ? QStringLiteral("folder") : QStringLiteral("file");
    }
};

QString cleaned(const QString &path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(path);
}

} // namespace

SiteTreeModel::SiteTreeModel(QObject *parent) : QSortFilterProxyModel(parent), m_files(new QFileSystemModel(this))
{
    m_files->setObjectName(QStringLiteral("SiteFileSystem"));
    // Shared by every model and used by their reading threads until the program ends.
    static NoFileIcons noIcons;
    m_files->setIconProvider(&noIcons);
    m_files->setReadOnly(true);
    setSourceModel(m_files);
    setHiddenFiles(Site::HiddenFiles::Left);
    m_files->sort(0, Qt::AscendingOrder);
    connect(m_files, &QFileSystemModel::directoryLoaded, this, &SiteTreeModel::folderRead);
}

void SiteTreeModel::setSite(const Site &site)
{
    m_site = site;
    m_files->setRootPath(site.root());
    invalidateFilter();
}

void SiteTreeModel::setHiddenFiles(Site::HiddenFiles hidden)
{
    m_hidden = hidden;
    QDir::Filters filters = QDir::AllEntries | QDir::AllDirs | QDir::NoDotAndDotDot;
    if (hidden == Site::HiddenFiles::Shown)
        filters |= QDir::Hidden;
    m_files->setFilter(filters);
    invalidateFilter();
}

void SiteTreeModel::setCurrentPage(const QString &path)
{
    const QString page = cleaned(path);
    if (page == m_currentPage)
        return;
    const QModelIndex before = indexOf(m_currentPage);
    m_currentPage = page;
    const QModelIndex after = indexOf(m_currentPage);
    for (const QModelIndex &index : {before, after}) {
        if (index.isValid())
            emit dataChanged(index, index, {Qt::FontRole, Qt::AccessibleTextRole, Qt::ToolTipRole});
    }
}

QModelIndex SiteTreeModel::rootIndex() const
{
    return m_site.isNull() ? QModelIndex() : mapFromSource(m_files->index(m_site.root()));
}

QModelIndex SiteTreeModel::indexOf(const QString &path) const
{
    if (path.isEmpty() || !m_site.contains(path))
        return {};
    return mapFromSource(m_files->index(path));
}

QString SiteTreeModel::filePath(const QModelIndex &index) const
{
    return index.isValid() ? m_files->filePath(mapToSource(index)) : QString();
}

bool SiteTreeModel::isFolder(const QModelIndex &index) const
{
    return index.isValid() && m_files->isDir(mapToSource(index));
}

SiteFileKind SiteTreeModel::kind(const QModelIndex &index) const
{
    return isFolder(index) ? SiteFileKind::Folder
                           : SiteFileKinds::ofName(QFile::encodeName(m_files->fileName(mapToSource(index))));
}

QVariant SiteTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() != 0)
        return QSortFilterProxyModel::data(index, role);
    switch (role) {
    case Qt::DecorationRole:
        return iconOf(kind(index));
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole: {
        QString text =
            m_files->fileName(mapToSource(index)) + QStringLiteral("、") + SiteFileKinds::caption(kind(index));
        if (cleaned(filePath(index)) == m_currentPage)
            text += QStringLiteral("、編集中");
        return text;
    }
    case Qt::FontRole:
        if (!m_currentPage.isEmpty() && cleaned(filePath(index)) == m_currentPage) {
            QFont font;
            font.setBold(true);
            return font;
        }
        break;
    default:
        break;
    }
    return QSortFilterProxyModel::data(index, role);
}

Qt::ItemFlags SiteTreeModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags =
        QSortFilterProxyModel::flags(index) & ~Qt::ItemIsDragEnabled & ~Qt::ItemIsDropEnabled & ~Qt::ItemIsEditable;
    if (!index.isValid() || !m_site.contains(filePath(index)))
        return flags;
    // Every entry but the root drags to another folder of the tree.
    if (index != rootIndex())
        flags |= Qt::ItemIsDragEnabled;
    if (isFolder(index))
        flags |= Qt::ItemIsDropEnabled;
    return flags;
}

QStringList SiteTreeModel::mimeTypes() const
{
    return {QString::fromLatin1(kEntryMimeType), QStringLiteral("text/uri-list")};
}

QMimeData *SiteTreeModel::mimeData(const QModelIndexList &indexes) const
{
    const QModelIndexList entries = firstColumn(indexes);
    if (entries.size() != 1)
        return nullptr;
    const QModelIndex entry = entries.first();
    // A picture dragged into the editor becomes its <img>; any other file dropped there would
    // replace the page, which a slip of the mouse must not do: it carries no file address, only
    // what the tree itself reads to move it.
    auto *data = new QMimeData;
    if (kind(entry) == SiteFileKind::Image)
        data->setUrls({QUrl::fromLocalFile(filePath(entry))});
    data->setData(QString::fromLatin1(kEntryMimeType), QFile::encodeName(filePath(entry)));
    return data;
}

Qt::DropActions SiteTreeModel::supportedDragActions() const
{
    // Dragged out, a picture is only ever copied: a file manager must not take it out of the
    // site. A drop inside the tree is a move whatever the drag says, asked for and checked.
    return Qt::CopyAction;
}

Qt::DropActions SiteTreeModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

bool SiteTreeModel::canDropMimeData(const QMimeData *data, Qt::DropAction, int, int, const QModelIndex &parent) const
{
    return data && data->hasFormat(QString::fromLatin1(kEntryMimeType)) && parent.isValid() && isFolder(parent);
}

bool SiteTreeModel::dropMimeData(
    const QMimeData *data, Qt::DropAction action, int row, int column, const QModelIndex &parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    emit entryDropped(QFile::decodeName(data->data(QString::fromLatin1(kEntryMimeType))), filePath(parent));
    // The move is the window's to make, after its questions; the view must remove nothing.
    return false;
}

QModelIndexList SiteTreeModel::firstColumn(const QModelIndexList &indexes)
{
    QModelIndexList entries;
    for (const QModelIndex &index : indexes) {
        if (index.column() == 0)
            entries.append(index);
    }
    return entries;
}

bool SiteTreeModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    const QModelIndex source = m_files->index(sourceRow, 0, sourceParent);
    const QString path = m_files->filePath(source);
    const std::optional<QByteArray> inside = m_site.pathOf(path);
    // The folders above the root are only the way to it; the view starts at the root.
    if (!inside || inside->isEmpty())
        return true;
    if (m_files->fileInfo(source).isSymLink())
        return false;
    return m_site.shows(*inside, m_files->isDir(source), m_hidden);
}
