#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QStringList>

class CommandDispatcher;
class PreviewCommands;
class QWidget;
class UserDialogs;
struct WebLists;

// The buttons WEB履歴 and お気に入り: each opens the history and favourites window over a copy
// of its list (the favourites read from favorite.ini, or taken from the Favorites folder while
// that file does not exist), and the window's write-back replaces the list and its file. Also
// keeps this run's visits when the program closes. The Favorites folder is read on a worker
// thread, so the main window goes on repainting and working meanwhile; the window opens when
// the reading is done. Refers to the dispatcher, the web lists, the preview commands (the
// page shown, going to an address) and the main window the window opens over.
class WebListCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WebListCommands)

public:
    WebListCommands(
        CommandDispatcher &commands, WebLists &lists, UserDialogs &dialogs, PreviewCommands &preview, QWidget &window);

    void openHistory();   // Button4Click
    void openFavorites(); // Button3Click
    // While the Favorites folder is being read; a press of either button meanwhile does nothing.
    bool isImporting() const { return m_importing; }
    // Writes the visited pages as the history window's 閉じる would; throws UserError.
    void saveHistory();

private:
    // The reading of the Favorites folder: its lines, or the failure that ended it.
    struct Import
    {
        QStringList lines;
        bool complete = true;
        QString failure;
    };

    void startImport();
    void finishImport();
    void openWindow(bool favorites);
    void writeHistory(const QStringList &lines);
    void writeFavorites(const QStringList &lines);

    CommandDispatcher &m_commands;
    WebLists &m_lists;
    UserDialogs &m_dialogs;
    PreviewCommands &m_preview;
    QWidget &m_window;
    QFutureWatcher<Import> m_import;
    // Until its lines have been taken on the window's thread, after the reading itself ended.
    bool m_importing = false;
};
