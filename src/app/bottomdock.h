#pragma once

#include <QString>

class QDockWidget;
class QMainWindow;
class QWidget;

// A panel under the editor that lists what a command found (the page check, サイト内検索):
// closable and movable, named for tests and screen readers, hidden until its command shows it.
namespace BottomDock {

QDockWidget *add(QMainWindow &window, const QString &title, const char *objectName, QWidget *content);

} // namespace BottomDock
