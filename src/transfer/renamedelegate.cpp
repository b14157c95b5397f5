#include "transfer/renamedelegate.h"

#include <QLineEdit>

QWidget *
RenameDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.column() != 0)
        return nullptr;
    emit editStarted(index);
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void RenameDelegate::setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const
{
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        emit editAccepted(index, line->text());
}
