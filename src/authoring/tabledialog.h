#pragma once

#include <QDialog>

// The table settings dialog (Form3): rows, columns, width and height that the table commands
// read. It lives for the whole run and keeps its settings between showings.
class TableDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TableDialog)

public:
    explicit TableDialog(QWidget *parent = nullptr);
};
