#include "transfer/permissiondialog.h"

PermissionDialog::PermissionDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Ftp2"));
    setWindowTitle(QStringLiteral("パーミション設定"));
    setAccessibleName(windowTitle());
}
