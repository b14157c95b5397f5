#pragma once

#include "workspace/pagesession.h"

class DocumentCommands;
class PageTabs;
class QWidget;
class UserDialogs;

// The session between the window's tabs and its file: what the tabs hold at the end of a run,
// and the tabs opened again from it at the next start.
namespace SessionPages {

// Every titled page in tab order, with its caret and scroll position, and the page in front.
PageSession capture(const PageTabs &tabs);

// Opens each page of the session whose file is still there in a tab of its own, its caret and
// scroll position as they were, and brings the page that was in front to the front. Pages whose
// files are gone or cannot be read any more are named together in one notice, once the window
// shows.
void reopen(
    const PageSession &session, PageTabs &tabs, DocumentCommands &documents, UserDialogs &dialogs, QWidget &window);

} // namespace SessionPages
