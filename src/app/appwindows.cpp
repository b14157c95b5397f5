#include "app/appwindows.h"

#include "app/aboutbox.h"
#include "app/historyeditor.h"
#include "app/mainwindow.h"
#include "authoring/colorsizedialog.h"
#include "authoring/tabledialog.h"
#include "transfer/permissiondialog.h"
#include "transfer/transferwindow.h"

namespace AppWindows {

MainWindow *create(UserDialogs &dialogs)
{
    auto *main = new MainWindow(dialogs);
    SecondaryWindows windows;
    windows.colorSize = new ColorSizeDialog(dialogs, main);
    windows.table = new TableDialog(dialogs, main);
    windows.history = new HistoryEditor(dialogs, main);
    windows.about = new AboutBox(dialogs, main);
    windows.permission = new PermissionDialog(dialogs, main);
    windows.transfer = new TransferWindow(dialogs, main);
    main->attachWindows(windows);
    return main;
}

} // namespace AppWindows
