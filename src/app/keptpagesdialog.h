#pragma once

#include "app/keptpage.h"

#include <QDialog>
#include <QList>

class QButtonGroup;

// The question at a start that finds several pages an earlier run left unsaved (each tab keeps
// its own copy): every page in one list, named with the time it was kept, each with 復元 (put it
// back in a tab) or 破棄 (delete the copy), 復元 chosen at first. OK does what the rows say;
// キャンセル, Esc or closing the window decide nothing and keep every copy for the next start.
class KeptPagesDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeptPagesDialog)

public:
    explicit KeptPagesDialog(const QList<KeptPage> &pages, QWidget *parent = nullptr);

    // Whether each page is to be put back (true) or its copy deleted (false), in the order given.
    QList<bool> restoreChoices() const;

    // The name a page is listed by: its path, or 無題.
    static QString nameOf(const KeptPage &page);

private:
    QList<QButtonGroup *> m_rows;
};
