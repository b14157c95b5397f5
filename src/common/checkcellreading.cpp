#include "common/checkcellreading.h"

#include <QAccessible>
#include <QTreeWidget>

bool CheckCellReading::readWithState(QTreeWidgetItem &item, int column)
{
    const QString state =
        item.checkState(column) == Qt::Checked ? QStringLiteral("チェックあり") : QStringLiteral("チェックなし");
    const QString text = item.text(column);
    const QString read = text.isEmpty() ? state : text + QLatin1Char(' ') + state;
    if (item.data(column, Qt::AccessibleTextRole).toString() == read)
        return false;
    item.setData(column, Qt::AccessibleTextRole, read);
    return true;
}

void CheckCellReading::announceChange(QTreeWidget &list, QTreeWidgetItem &item, int column)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface *view = QAccessible::queryAccessibleInterface(&list);
    QAccessibleTableInterface *table = view ? view->tableInterface() : nullptr;
    const QModelIndex index = list.indexFromItem(&item, column);
    QAccessibleInterface *cell = table && index.isValid() ? table->cellAt(index.row(), column) : nullptr;
    if (!cell)
        return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(cell, changed);
    QAccessible::updateAccessibility(&event);
}
