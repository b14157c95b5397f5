#include "app/aboutbox.h"

AboutBox::AboutBox(UserDialogs &dialogs, QWidget *parent) : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setAccessibleName(windowTitle());
}
