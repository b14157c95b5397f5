#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class AutoRefresh;
class CommandDispatcher;
class CrashRecovery;
class Document;
class PageContext;
class PreviewCommands;
class QAction;
class QWidget;
class UserDialogs;
struct PreviewSession;

// What follows the open pages by themselves: the preview of the page in front refreshed as
// 自動反映 says (with its menu switch), the browser engine made ready in the background, and
// crash recovery, one copy per page. The main window builds it with the narrow pieces these use
// and tells it of pages, saves, the start and the end. Owns the automatic refresh, the switch
// and each page's recovery.
class DocumentFollowers final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocumentFollowers)

public:
    struct Parts
    {
        PageContext &page; // the page in front
        PreviewSession &previewSession;
        UserDialogs &dialogs;
        QWidget &window;
        PreviewCommands &preview;
        std::function<QAction *(const QString &)> findAction;
        std::function<void(const QString &)> setStatusText; // status panel 0
        // The page a kept copy of the file (empty: untitled) goes back into, brought to the front.
        std::function<Document &(const QString &path)> pageForKeptCopy;
    };

    DocumentFollowers(CommandDispatcher &commands, const Parts &parts);

    // A page came: its unsaved text is kept for recovery from now on. page: its own context.
    void followPage(PageContext &page);
    // A page is being closed on purpose: its kept copy goes.
    void pageClosing(const Document &page);

    void documentSaved();
    // Once the window shows: pages earlier runs left unsaved are offered back, each into a page
    // of its own.
    void offerKeptPages();
    // Once the window shows: the browser engine sets itself up while the user starts working.
    void warmUpPreview();
    // The window closes normally: nothing is kept for recovery any more.
    void windowClosed();

private:
    PreviewCommands &m_preview;
    AutoRefresh *m_autoRefresh;
    const Parts m_parts;
    QHash<const Document *, CrashRecovery *> m_recoveries;
};
