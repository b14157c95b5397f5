#include "transfer/transferwindow.h"

TransferWindow::TransferWindow(UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window), m_dialogs(dialogs), m_dispatcher(dialogs, *this)
{
    setObjectName(QStringLiteral("Ftp1"));
    setWindowTitle(QStringLiteral("RODav"));
    setAccessibleName(windowTitle());
}

void TransferWindow::setLocalFolder(const QString &folder)
{
    m_localFolder = folder;
}
