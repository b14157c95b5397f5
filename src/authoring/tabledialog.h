#pragma once

#include "authoring/tablesettings.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class UserDialogs;

// The table settings dialog (Form3): rows, columns, width and height that the table commands
// read. It is a view over a TableSettings held in its controls, so it lives for the whole run
// and keeps whatever was typed, whichever button closed it. Owns its controls.
class TableDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TableDialog)

public:
    // dialogs: where it is shown and where its refusal of an unfilled field appears.
    explicit TableDialog(UserDialogs &dialogs, QWidget *parent = nullptr);

    // Shows the dialog modally (表の設定).
    void edit();

    TableSettings settings() const;
    void setSettings(const TableSettings &settings);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void settle(); // 設定

    UserDialogs &m_dialogs;
    QComboBox *m_rows = nullptr;
    QComboBox *m_columns = nullptr;
    QLineEdit *m_width = nullptr;
    QLineEdit *m_height = nullptr;
};
