#include "preview/weblistcommands.h"

#include "common/commanddispatcher.h"
#include "common/datafolder.h"
#include "common/linefile.h"
#include "common/mainstate.h"
#include "common/userdialogs.h"
#include "common/usererror.h"
#include "preview/favoriteimport.h"
#include "preview/previewcommands.h"
#include "preview/webliststore.h"
#include "preview/weblistwindow.h"

#include <QFile>
#include <QGuiApplication>
#include <QtConcurrent/QtConcurrentRun>

#include <memory>

WebListCommands::WebListCommands(
    CommandDispatcher &commands, MainState &state, UserDialogs &dialogs, PreviewCommands &preview, QWidget &window)
    : QObject(&window), m_commands(commands), m_state(state), m_dialogs(dialogs), m_preview(preview), m_window(window)
{
    commands.add(QStringLiteral("Button3Click"), [this](int) { openFavorites(); });
    commands.add(QStringLiteral("Button4Click"), [this](int) { openHistory(); });
    connect(&m_import, &QFutureWatcher<Import>::finished, this, &WebListCommands::finishImport);
}

void WebListCommands::openHistory()
{
    // The favourites window is on its way; the two are not shown at once.
    if (isImporting())
        return;
    m_state.favoriteMode = false;
    openWindow(false);
}

void WebListCommands::openFavorites()
{
    if (isImporting())
        return;
    m_state.favoriteMode = true;
    m_state.favoriteList.clear();
    const QString path = DataFolder::filePath(WebListStore::kFavoritesFileName);
    m_state.favoritesAsRead = {};
    if (!QFile::exists(path)) {
        startImport();
        return;
    }
    m_state.favoritesAsRead = LineFile::readContents(path);
    m_state.favoriteList = m_state.favoritesAsRead.lines;
    openWindow(true);
}

void WebListCommands::startImport()
{
    // The folder is named here, on the window's thread: opening a document changes the current
    // folder, from which a relative name is taken.
    const QString root = FavoriteImport::folder();
    m_importing = true;
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    m_import.setFuture(QtConcurrent::run([root] {
        Import import;
        try {
            const FavoriteImport::Result result = FavoriteImport::scan(root);
            import.lines = result.lines;
            import.complete = result.complete;
        } catch (const std::exception &e) {
            import.failure = userTextOf(e);
        }
        return import;
    }));
}

void WebListCommands::finishImport()
{
    m_importing = false;
    QGuiApplication::restoreOverrideCursor();
    const Import import = m_import.result();
    m_commands.guard([&] {
        // All or nothing: a file that cannot be read ends the command with its error, and the
        // list is not left holding the part read before it.
        if (!import.failure.isEmpty())
            throw UserError(import.failure);
        m_state.favoriteList = import.lines;
        if (!import.complete)
            m_dialogs.notify(&m_window, FavoriteImport::incompleteNotice());
        openWindow(true);
    });
}

void WebListCommands::openWindow(bool favorites)
{
    const auto mode = favorites ? WebListWindow::Mode::Favorites : WebListWindow::Mode::History;
    WebListWindow::Services services;
    services.engine = &m_preview.engine();
    services.browse = [this](const QString &address) { m_preview.browse(address); };
    if (favorites)
        services.writeBack = [this](const QStringList &lines) { writeFavorites(lines); };
    else
        services.writeBack = [this](const QStringList &lines) { writeHistory(lines); };
    const QStringList &lines = favorites ? m_state.favoriteList : m_state.webHistory;
    auto window = std::make_unique<WebListWindow>(m_dialogs, mode, lines, services, &m_window);
    m_dialogs.exec(window.get());
}

void WebListCommands::writeHistory(const QStringList &lines)
{
    m_state.webHistory = lines;
    m_state.webHistoryAsRead = LineFile::writeOver(DataFolder::filePath(WebListStore::kHistoryFileName),
                                                   m_state.webHistoryAsRead,
                                                   lines,
                                                   lines != m_state.webHistoryAsRead.lines);
    // The file now holds what the user saw, so it may be written again at the close.
    m_state.webHistoryLoadFailed = false;
}

void WebListCommands::writeFavorites(const QStringList &lines)
{
    m_state.favoriteList = lines;
    m_state.favoritesAsRead = LineFile::writeOver(DataFolder::filePath(WebListStore::kFavoritesFileName),
                                                  m_state.favoritesAsRead,
                                                  lines,
                                                  lines != m_state.favoritesAsRead.lines);
}

void WebListCommands::saveHistory()
{
    // A file that could not be read at start-up is left alone rather than replaced by this
    // run's visits only; and a run without visits need not create one.
    if (m_state.webHistoryLoadFailed)
        return;
    const QString path = DataFolder::filePath(WebListStore::kHistoryFileName);
    if (m_state.webHistory.isEmpty() && !QFile::exists(path))
        return;
    // A file cut short by a zero byte stays whole unless this run added to the history.
    const bool changed = m_state.webHistory != m_state.webHistoryAsRead.lines;
    m_state.webHistory = WebListStore::historyForWriting(m_state.webHistory);
    m_state.webHistoryAsRead = LineFile::writeOver(path, m_state.webHistoryAsRead, m_state.webHistory, changed);
}
