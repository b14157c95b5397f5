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
    windows.colorSize = new ColorSizeDialog(main);
    windows.table = new TableDialog(main);
    windows.history = new HistoryEditor(main);
    windows.about = new AboutBox(main);
    windows.permission = new PermissionDialog(main);
    windows.transfer = new TransferWindow(main);
    main->attachWindows(windows);
    return main;
}

} // namespace AppWindows
