#include "preview/weblistcommands.h"

#include "common/commanddispatcher.h"
#include "common/datafolder.h"
#include "common/mainstate.h"
#include "common/userdialogs.h"
#include "preview/favoriteimport.h"
#include "preview/previewcommands.h"
#include "preview/webliststore.h"
#include "preview/weblistwindow.h"

#include <QFile>
#include <QGuiApplication>

#include <memory>

namespace {

// The wait cursor while the Favorites folder is read, put back however the reading ends.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

WebListCommands::WebListCommands(
    CommandDispatcher &commands, MainState &state, UserDialogs &dialogs, PreviewCommands &preview, QWidget &window)
    : QObject(&window), m_state(state), m_dialogs(dialogs), m_preview(preview), m_window(window)
{
    commands.add(QStringLiteral("Button3Click"), [this](int) { openFavorites(); });
    commands.add(QStringLiteral("Button4Click"), [this](int) { openHistory(); });
}

void WebListCommands::openHistory()
{
    m_state.favoriteMode = false;
    openWindow(false);
}

void WebListCommands::openFavorites()
{
    m_state.favoriteMode = true;
    m_state.favoriteList.clear();
    const QString path = DataFolder::filePath(WebListStore::kFavoritesFileName);
    if (QFile::exists(path)) {
        m_state.favoriteList = WebListStore::read(path);
    } else {
        // All or nothing: a file that cannot be read ends the command with its error, and the
        // list is not left holding the part read before it.
        WaitCursor wait;
        const FavoriteImport::Result imported = FavoriteImport::scan(FavoriteImport::folder());
        m_state.favoriteList = imported.lines;
        if (!imported.complete)
            m_dialogs.notify(&m_window, FavoriteImport::incompleteNotice());
    }
    openWindow(true);
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
    WebListStore::write(DataFolder::filePath(WebListStore::kHistoryFileName), lines);
    // The file now holds what the user saw, so it may be written again at the close.
    m_state.webHistoryLoadFailed = false;
}

void WebListCommands::writeFavorites(const QStringList &lines)
{
    m_state.favoriteList = lines;
    WebListStore::write(DataFolder::filePath(WebListStore::kFavoritesFileName), lines);
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
    m_state.webHistory = WebListStore::historyForWriting(m_state.webHistory);
    WebListStore::write(path, m_state.webHistory);
}
