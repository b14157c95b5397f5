#pragma once

#include "app/documentstate.h"

#include <QObject>
#include <QStringList>

#include <functional>

class CommandDispatcher;
class Document;
class PageTabs;
class PageContext;
class QWidget;
class RecentFileList;
class UserDialogs;
struct PreviewSession;

// The document commands of the File menu and the window's document events: New, Open, Save,
// Save As, the recent-file slots and their editor, files dropped from the desktop, the file
// named on the command line, and the question before closing with unsaved changes. New, Open,
// a recent file and a drop ask before they replace unsaved changes. A Shift_JIS document holding characters Shift_JIS cannot
// hold is written only after the user agreed to UTF-8, and a file whose bytes did not all read as
// text is written over only after the user agreed. It keeps the window caption, the preview folder and the
// program's current folder in step with the open document, and deletes the preview file of a
// document it leaves (New, Open, a recent file, a drop, Save As). It owns nothing; the window owns the
// document, the editor and the recent-file list it works on, and shows the list when told.
class DocumentCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocumentCommands)

public:
    // window: the caption this sets and the parent of every question; becomes the parent.
    DocumentCommands(CommandDispatcher &commands,
                     PageContext &current,
                     PreviewSession &preview,
                     RecentFileList &recentFiles,
                     UserDialogs &dialogs,
                     QWidget &window);

    void newDocument();                 // New1Click
    void open();                        // OpenClick
    void openFile(const QString &path); // Open after its dialog; the command-line file
    // Open of a file another window names (a page the page check is to show): asks first when
    // unsaved changes would be lost, as Open does; false when the user kept them.
    bool openAsked(const QString &path);
    void save();                              // Save1Click
    void saveAs();                            // SaveAs1Click
    void dropFiles(const QStringList &paths); // DropFiles
    void openRecent(int slot);                // mnuFavoritClick: the slot's index, 0 newest
    void editRecentFiles();                   // N25Click
    bool closeQuery();                        // FormCloseQuery: true lets the window close
    // From now on a file opened (Open, a recent slot, a drop, another window's page, the
    // command line) gets a page of its own in tabs, or shows the page it is open in already,
    // instead of replacing the page in front; and the close asks once about every modified page.
    void openInTabs(PageTabs &tabs);
    // A page of the last session opened again: as the command-line file, but the recent-file
    // list stays as the user left it. Returns the page; throws UserError when it cannot be read.
    Document &reopen(const QString &path);
    // A page of the last session in a tab of its own, not brought to the front and not read yet
    // (the untouched blank page a start shows takes it); readUnread() reads it when it comes to
    // the front.
    Document &reopenUnread(const QString &path);
    // Reads the page in front when it is one not read yet. When its file cannot be read any more,
    // the page becomes a blank untitled one and UserError says why.
    void readUnread();
    // The page a kept copy of the file (empty: an untitled page) goes back into, brought to the
    // front: the file's own page when it is open, else the untouched blank page, else a new one.
    Document &pageForKeptCopy(const QString &path);

signals:
    void recentFilesChanged();
    // Save or Save As wrote the document.
    void saved();

private:
    enum class Room {
        Ready,       // the page in front is to take the file
        AlreadyOpen, // the file's page is in front now; nothing to read
        Refused,     // the user kept the unsaved page
    };
    // Makes the page in front the one to read the file into; ask: whether replacing unsaved
    // changes (without tabs) asks first.
    Room makeRoomFor(const QString &fullPath, bool ask);
    // The page in front is the untouched blank page a start shows: a file may simply take it.
    bool frontIsBlank() const;
    // Runs the read; a page made for it goes again when it fails.
    void readIntoFront(const std::function<void()> &read);
    bool closeQueryOfPages();
    // What the page in front becomes.
    DocumentState state() const;
    void showTitle();
    // True when nothing unsaved would be lost, or the user agreed to lose it.
    bool mayDiscardChanges();
    // Open without the recent-file list: the path becomes the document, its folder current.
    void loadDocument(const QString &fullPath);
    void deletePreviewFile();
    // False when the user would not have the document written over bytes it could not read, or
    // in UTF-8 instead; nothing has been written then.
    bool writeDocument(const QString &path);
    bool encodeAndWrite(const QString &path);
    // Writing over the very file whose bytes did not all read as text asks first, once.
    bool mayWriteOverUnreadableBytes(const QString &path);
    void forgetUnreadableBytes();
    void menuAdd();

    PageContext &m_current;
    PreviewSession &m_preview;
    RecentFileList &m_recentFiles;
    UserDialogs &m_dialogs;
    QWidget &m_window;
    PageTabs *m_tabs = nullptr;
    Document *m_freshPage = nullptr;
};
