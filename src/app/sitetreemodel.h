#pragma once

#include "workspace/site.h"

#include <QSortFilterProxyModel>
#include <QString>

class QFileSystemModel;

// The site's folder tree as the site panel shows it: a view over the file system (which reads
// folders in the background and follows them as other programs change them) that leaves out
// what the Site says is no part of the site, hidden files unless asked for, and links. Each
// entry carries its kind as an icon, a tooltip and words a screen reader reads; the page being
// edited is marked. Only pictures may be dragged out (into the editor, as an <img>); any entry
// drags onto a folder of the tree, which asks for it to be moved there. Owns the file system
// model.
class SiteTreeModel final : public QSortFilterProxyModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SiteTreeModel)

public:
    explicit SiteTreeModel(QObject *parent = nullptr);

    void setSite(const Site &site);
    const Site &site() const { return m_site; }
    void setHiddenFiles(Site::HiddenFiles hidden);
    // The page being edited; empty while it is untitled.
    void setCurrentPage(const QString &path);

    // Where the tree starts: the site's root.
    QModelIndex rootIndex() const;
    QModelIndex indexOf(const QString &path) const;
    QString filePath(const QModelIndex &index) const;
    bool isFolder(const QModelIndex &index) const;
    SiteFileKind kind(const QModelIndex &index) const;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(
        const QMimeData *data, Qt::DropAction action, int row, int column, const QModelIndex &parent) const override;
    bool
    dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column, const QModelIndex &parent) override;

    // What a dragged entry carries for the tree: its local path.
    static constexpr char kEntryMimeType[] = "application/x-qzweb-site-entry";

signals:
    // The folder at path was read (first shown, or read again after a change).
    void folderRead(const QString &path);
    // An entry of the tree was dropped on a folder of it.
    void entryDropped(const QString &path, const QString &folder);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    static QModelIndexList firstColumn(const QModelIndexList &indexes);

    QFileSystemModel *m_files;
    Site m_site;
    Site::HiddenFiles m_hidden = Site::HiddenFiles::Left;
    QString m_currentPage;
};
