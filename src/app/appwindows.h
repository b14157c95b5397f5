#pragma once

class BrowserEngine;
class CredentialStore;
class MainWindow;
class QCoreApplication;
class UserDialogs;

// Creates the program's windows in their fixed order: the main window first, then the colour
// and size dialog, the table dialog, the history editor, the version box, the permission
// dialog and the transfer window. Only the main window is shown; it owns the others.
namespace AppWindows {

// passwords: where the transfer window keeps site passwords (the desktop keyring); it outlives
// the windows. previewEngine: the preview's browser engine, taken over; Qt WebEngine unless one
// is given.
MainWindow *create(UserDialogs &dialogs, CredentialStore &passwords, BrowserEngine *previewEngine = nullptr);

// Puts Qt's own texts (the file, font and colour dialogs, the standard context menus, the help
// viewer's search) into Japanese, whatever the locale: every caption of this program is Japanese,
// and a dialog half in English confuses the beginners it is made for. Loads once per application;
// returns whether Qt's Japanese catalogue was found (without it those texts stay in English).
bool installQtTranslations(QCoreApplication &app);

} // namespace AppWindows
