#include "app/bottomdock.h"

#include <QDockWidget>
#include <QMainWindow>

namespace BottomDock {

QDockWidget *add(QMainWindow &window, const QString &title, const char *objectName, QWidget *content)
{
    auto *dock = new QDockWidget(title, &window);
    dock->setObjectName(QString::fromLatin1(objectName));
    dock->setAccessibleName(title);
    dock->setWidget(content);
    dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    window.addDockWidget(Qt::BottomDockWidgetArea, dock);
    dock->hide();
    return dock;
}

} // namespace BottomDock
