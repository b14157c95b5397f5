#pragma once

#include <QObject>

class CommandDispatcher;
class PreviewCommands;
class QWidget;
class UserDialogs;
struct MainState;

// The buttons WEB履歴 and お気に入り: each opens the history and favourites window over a copy
// of its list (the favourites read from favorite.ini, or taken from the Favorites folder while
// that file does not exist), and the window's write-back replaces the list and its file. Also
// keeps this run's visits when the program closes. Refers to the shared state, the preview
// commands (the page shown, going to an address) and the main window the window opens over.
class WebListCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WebListCommands)

public:
    WebListCommands(
        CommandDispatcher &commands, MainState &state, UserDialogs &dialogs, PreviewCommands &preview, QWidget &window);

    void openHistory();   // Button4Click
    void openFavorites(); // Button3Click
    // Writes the visited pages as the history window's 閉じる would; throws UserError.
    void saveHistory();

private:
    void openWindow(bool favorites);
    void writeHistory(const QStringList &lines);
    void writeFavorites(const QStringList &lines);

    MainState &m_state;
    UserDialogs &m_dialogs;
    PreviewCommands &m_preview;
    QWidget &m_window;
};
