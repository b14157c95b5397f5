#include "transfer/permissiondialog.h"

PermissionDialog::PermissionDialog(UserDialogs &dialogs, QWidget *parent) : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Ftp2"));
    setWindowTitle(QStringLiteral("パーミション設定"));
    setAccessibleName(windowTitle());
}
