#include "transfer/listviewsort.h"

#include "transfer/listsort.h"

#include <QTreeWidget>

#include <algorithm>

namespace ListViewSort {

void sort(QTreeWidget &list, const ListSort &order)
{
    const int column = order.column();
    list.setUpdatesEnabled(false);
    QList<QTreeWidgetItem *> items = list.invisibleRootItem()->takeChildren();
    std::stable_sort(items.begin(), items.end(), [&](const QTreeWidgetItem *a, const QTreeWidgetItem *b) {
        return order.compare(a->text(column), b->text(column)) < 0;
    });
    list.addTopLevelItems(items);
    list.setUpdatesEnabled(true);
}

} // namespace ListViewSort
