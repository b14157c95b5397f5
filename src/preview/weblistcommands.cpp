#include "preview/weblistcommands.h"

#include "common/commanddispatcher.h"
#include "common/datafolder.h"
#include "common/linefile.h"
#include "common/userdialogs.h"
#include "common/usererror.h"
#include "preview/favoriteimport.h"
#include "preview/previewcommands.h"
#include "preview/weblists.h"
#include "preview/webliststore.h"
#include "preview/weblistwindow.h"

#include <QFile>
#include <QGuiApplication>
#include <QtConcurrent/QtConcurrentRun>

#include <memory>

WebListCommands::WebListCommands(
    CommandDispatcher &commands, WebLists &lists, UserDialogs &dialogs, PreviewCommands &preview, QWidget &window)
    : QObject(&window), m_commands(commands), m_lists(lists), m_dialogs(dialogs), m_preview(preview), m_window(window)
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
    m_lists.favoriteMode = false;
    openWindow(false);
}

void WebListCommands::openFavorites()
{
    if (isImporting())
        return;
    m_lists.favoriteMode = true;
    m_lists.favoriteList.clear();
    const QString path = DataFolder::filePath(WebListStore::kFavoritesFileName);
    m_lists.favoritesAsRead = {};
    if (!QFile::exists(path)) {
        startImport();
        return;
    }
    m_lists.favoritesAsRead = LineFile::readContents(path);
    m_lists.favoriteList = m_lists.favoritesAsRead.lines;
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
        m_lists.favoriteList = import.lines;
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
    const QStringList &lines = favorites ? m_lists.favoriteList : m_lists.webHistory;
    auto window = std::make_unique<WebListWindow>(m_dialogs, mode, lines, services, &m_window);
    m_dialogs.exec(window.get());
}

void WebListCommands::writeHistory(const QStringList &lines)
{
    m_lists.webHistory = lines;
    m_lists.webHistoryAsRead = LineFile::writeOver(DataFolder::filePath(WebListStore::kHistoryFileName),
                                                   m_lists.webHistoryAsRead,
                                                   lines,
                                                   lines != m_lists.webHistoryAsRead.lines);
    // The file now holds what the user saw, so it may be written again at the close.
    m_lists.webHistoryLoadFailed = false;
}

void WebListCommands::writeFavorites(const QStringList &lines)
{
    m_lists.favoriteList = lines;
    m_lists.favoritesAsRead = LineFile::writeOver(DataFolder::filePath(WebListStore::kFavoritesFileName),
                                                  m_lists.favoritesAsRead,
                                                  lines,
                                                  lines != m_lists.favoritesAsRead.lines);
}

void WebListCommands::saveHistory()
{
    // A file that could not be read at start-up is left alone rather than replaced by this
    // run's visits only; and a run without visits need not create one.
    if (m_lists.webHistoryLoadFailed)
        return;
    const QString path = DataFolder::filePath(WebListStore::kHistoryFileName);
    if (m_lists.webHistory.isEmpty() && !QFile::exists(path))
        return;
    // A file cut short by a zero byte stays whole unless this run added to the history.
    const bool changed = m_lists.webHistory != m_lists.webHistoryAsRead.lines;
    m_lists.webHistory = WebListStore::historyForWriting(m_lists.webHistory);
    m_lists.webHistoryAsRead = LineFile::writeOver(path, m_lists.webHistoryAsRead, m_lists.webHistory, changed);
}
