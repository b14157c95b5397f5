#include "transfer/transferwindow.h"

TransferWindow::TransferWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Ftp1"));
    setWindowTitle(QStringLiteral("RODav"));
    setAccessibleName(windowTitle());
}

void TransferWindow::setLocalFolder(const QString &folder)
{
    m_localFolder = folder;
}
