#pragma once

#include "workspace/pagesession.h"

#include <QHash>

class Document;
class DocumentCommands;
class PageContext;
class PageTabs;
class QWidget;
class UserDialogs;

// The session between the window's tabs and its file: what the tabs hold at the end of a run,
// and the tabs opened again from it at the next start.
namespace SessionPages {

// Where each page not read yet goes back to once it is.
using Places = QHash<const Document *, PageSession::Page>;

// Every titled page in tab order, with its caret and scroll position (for a page not read yet,
// where it is to go), and the page in front.
PageSession capture(const PageTabs &tabs, const Places &unread);

// Opens a tab for each page of the session whose file is still there, in the session's order;
// only the page that was in front is read now, with its caret and scroll position, the others
// when they first come to the front (a start with many tabs costs the one page). Pages whose
// files are gone or cannot be read any more are named together in one notice, once the window
// shows. Returns the places of the pages not read yet.
Places
reopen(const PageSession &session, PageTabs &tabs, DocumentCommands &documents, UserDialogs &dialogs, QWidget &window);

// The caret now, the scroll position once the view has been laid out.
void place(const PageContext &page, const PageSession::Page &place, QWidget &window);

} // namespace SessionPages
