#include "authoring/tabledialog.h"

TableDialog::TableDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("表の設定"));
    setAccessibleName(windowTitle());
}
