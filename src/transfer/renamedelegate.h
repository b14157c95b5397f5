#pragma once

#include <QStyledItemDelegate>

// The in-place editor of the remote list's names. It reports when an edit of a name begins
// and when one is accepted, and leaves the item's text to its owner, which renames the file on
// the server first. Other columns are not editable.
class RenameDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RenameDelegate)

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

signals:
    void editStarted(const QModelIndex &index) const;
    void editAccepted(const QModelIndex &index, const QString &text) const;
};
