#pragma once

#include "app/sitereplaceplan.h"

#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// サイト内置換's preview: every change the replace would make, page by page, each line before
// and after, with a check box per change and per page, all ticked. A page that is not to be
// changed is listed with the reason, without a box. 置換 is accepted with what is ticked.
class SiteReplaceDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SiteReplaceDialog)

public:
    SiteReplaceDialog(const QList<SiteReplacePlan::Page> &pages, QWidget *parent = nullptr);

    // For each page in the order given, whether each of its changes is ticked.
    QList<QList<bool>> ticked() const;
    QTreeWidget &changes() const { return *m_changes; }

private:
    void countTicked();

    QTreeWidget *m_changes = nullptr;
    QLabel *m_count = nullptr;
    QPushButton *m_apply = nullptr;
    QList<QTreeWidgetItem *> m_pages; // one per page given, in order
};
