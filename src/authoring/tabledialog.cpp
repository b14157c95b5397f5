#include "authoring/tabledialog.h"

TableDialog::TableDialog(UserDialogs &dialogs, QWidget *parent) : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("表の設定"));
    setAccessibleName(windowTitle());
}
