#pragma once

#include <QDialog>

class UserDialogs;

// The table settings dialog (Form3): rows, columns, width and height that the table commands
// read. It lives for the whole run and keeps its settings between showings.
class TableDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TableDialog)

public:
    // dialogs: where it is shown and where its messages appear.
    explicit TableDialog(UserDialogs &dialogs, QWidget *parent = nullptr);

private:
    UserDialogs &m_dialogs;
};
