#pragma once

#include "transfer/ftpjoboutcome.h"
#include "transfer/remoteitem.h"
#include "transfer/remotejobs.h"
#include "transfer/transferlimits.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class FtpJobRunner;
class ListSort;
class QLabel;
class QTreeView;
class RemoteListModel;
class UserDialogs;

// The remote side of the transfer window: connecting and disconnecting, the remote list and
// the current-folder label, moving between folders and renaming in place. Every FTP step runs
// as a job of the window's session, which also reads and parses the listing; this class asks
// its questions and hands the parsed rows to the list's model on the window's thread. Refers
// to the controls, the model, the runner and the sort state; owns only what it knows of the
// server (the login folder, the current folder's bytes).
class RemotePane final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RemotePane)

public:
    using StatusSink = std::function<void(const QString &text)>;

    RemotePane(FtpJobRunner &runner,
               QTreeView &list,
               RemoteListModel &model,
               QLabel &folderLabel,
               ListSort &sort,
               UserDialogs &dialogs,
               QWidget &window,
               StatusSink status);

    // Follows the session's notifications: whether a control connection stands.
    void setConnected(bool connected) { m_connected = connected; }
    bool isConnected() const { return m_connected; }
    // While a job runs nothing here may start another.
    void setBusy(bool busy);

    // The connection did not stand (a certificate that failed the check, a server that wants
    // FTPS, any failure): tells the user why, asking what to do where there is a choice, and
    // returns the login to try again with at once, or nothing.
    using Refused = std::function<std::optional<RemoteJobs::Login>(const RemoteJobs::Login &tried,
                                                                   const RemoteJobs::ConnectOutcome &outcome)>;

    // The connection stands; called before its folder is shown.
    using Stood = std::function<void(const RemoteJobs::ConnectOutcome &outcome)>;

    // 接続. Without onRefused a failure is shown as it is.
    void connectTo(const RemoteJobs::Login &login, Refused onRefused = {}, Stood onStood = {});
    // For the one who answers a refused connection: the status while the user decides.
    void showStatus(const QString &text) { m_status(text); }
    void disconnect();          // 切断
    void quit();                // 終了: abort what runs, then quit
    void refresh();             // RefreshRemoteList
    void goUp();                // BitBtn1
    void enterSelectedFolder(); // double click
    void sortBy(int column);    // column click
    void startRename();         // 名前の変更: the in-place edit of the name

    QByteArray homeDir() const { return m_homeDir; }
    // The selected entries, in list order.
    QList<RemoteItem> selectedItems() const;
    // The names of every entry listed, as the server sent them.
    std::vector<QByteArray> currentNames() const;

    // Tests: short waits for a server that does not answer.
    void setTimeLimits(const TransferTimeLimits &limits) { m_timeLimits = limits; }
    // Tests: what a connection does on the worker thread, in place of connectAndList (for a
    // server's side that the test servers cannot play, such as a certificate).
    void setConnector(RemoteJobs::Connector connector) { m_connector = std::move(connector); }

    static QString connectFailedText() { return QStringLiteral("接続できませんでした"); }
    static QString connectingText() { return QStringLiteral("接続中..."); }

private:
    // Runs the connection job; also from the end of a refused one, while the session is busy.
    void startConnecting(const RemoteJobs::Login &login, Refused onRefused, Stood onStood);
    void showFolder(RemoteFolder folder);
    QList<int> selectedRows() const;
    void beginRename(int row);
    void acceptRename(int row, const QString &text);
    // Shows a failed job's message; false when the job failed (or was cancelled).
    bool succeeded(const FtpJobOutcome &outcome);

    FtpJobRunner &m_runner;
    QTreeView &m_list;
    RemoteListModel &m_model;
    QLabel &m_folderLabel;
    ListSort &m_sort;
    UserDialogs &m_dialogs;
    QWidget &m_window;
    StatusSink m_status;
    TransferTimeLimits m_timeLimits;
    RemoteJobs::Connector m_connector = RemoteJobs::connectAndList;

    bool m_connected = false;
    bool m_busy = false;
    QByteArray m_homeDir;
    QByteArray m_folderBytes; // Label5 as the server sent it
    QByteArray m_renameOld;   // RenameOld
    bool m_renamePending = false;
};
