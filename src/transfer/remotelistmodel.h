#pragma once

#include "transfer/remoteitem.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QVariant>

class ListSort;

// The remote list's rows: the entries of the current remote folder as the listing gave them,
// held as values (name bytes, size as a number, date as a date), one per row, in listing order
// until sorted. The columns show them as texts; sorting and every later question about a row
// read the values, never the texts. A new listing replaces all rows in one reset.
class RemoteListModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RemoteListModel)

public:
    enum Column {
        NameColumn = 0,
        DateColumn = 1,
        SizeColumn = 2,
        AttributeColumn = 3,
        ColumnCount = 4,
    };

    using QAbstractTableModel::QAbstractTableModel;

    // The icons of folder and file rows (the model itself needs no windows).
    void setIcons(const QVariant &folder, const QVariant &file);

    // Takes the rows of a new listing. Returns the old rows, so the caller chooses where
    // freeing them costs its time.
    RemoteItems replaceItems(RemoteItems items);
    void clear() { replaceItems({}); }

    const RemoteItems &items() const { return m_items; }
    const RemoteItem &item(int row) const { return m_items.at(row); }
    // The first row whose name is these bytes; -1 when there is none.
    int rowOfName(const QByteArray &name) const;
    // After a rename on the server: the row shows the new name.
    void rename(int row, const QByteArray &name, const QString &displayName);

    // Puts the rows in the order of the shared sort state, once; rows that compare equal keep
    // their order. Selections and other persistent indexes follow their rows.
    void sortBy(const ListSort &order);
    // Negative, zero or positive as a sorts before, with or after b under the current key:
    // names by the user's locale, dates and sizes by their values, the permission text with
    // only a to z folded onto A to Z.
    static int compare(const RemoteItem &a, const RemoteItem &b, const ListSort &order);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    RemoteItems m_items;
    QVariant m_folderIcon;
    QVariant m_fileIcon;
};
