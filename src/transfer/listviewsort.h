#pragma once

class ListSort;
class QTreeWidget;

// Puts a list's items in the order of the shared sort state, once: later refreshes keep the
// order the listing gives.
namespace ListViewSort {

void sort(QTreeWidget &list, const ListSort &order);

} // namespace ListViewSort
