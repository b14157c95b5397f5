#pragma once

class MainWindow;
class UserDialogs;

// Creates the program's windows in their fixed order: the main window first, then the colour
// and size dialog, the table dialog, the history editor, the version box, the permission
// dialog and the transfer window. Only the main window is shown; it owns the others.
namespace AppWindows {

MainWindow *create(UserDialogs &dialogs);

} // namespace AppWindows
