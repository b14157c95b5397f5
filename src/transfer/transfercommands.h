#pragma once

#include "transfer/jobprogress.h"
#include "transfer/remoteitem.h"
#include "transfer/transferjobs.h"
#include "transfer/transferwindowview.h"
#include "transfer/uploadcheck.h"

#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class CommandDispatcher;
class FtpJobContext;
class FtpJobRunner;
class LocalPane;
class PermissionDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QShortcut;
class QTimer;
class RemotePane;
class UserDialogs;

// The transfer window's file commands: ▲ and ▼, the folder upload and download, 削除, フォルダ作成
// and パーミション. Asks its questions on the window's thread, runs the FTP steps as jobs of the
// window's session (TransferJobs), and shows progress, the outcome and failures when they end.
// Owns the progress bar, its label and the 中止 button it adds to the status bar; refers to the
// window's controls, panes, runner and dialogs.
class TransferCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TransferCommands)

public:
    using StatusSink = std::function<void(const QString &text)>;

    TransferCommands(FtpJobRunner &runner,
                     const TransferWindowView &view,
                     RemotePane &remote,
                     LocalPane &local,
                     UserDialogs &dialogs,
                     QWidget &window,
                     StatusSink status);

    // Registers the handlers on the window's dispatcher and connects the controls to them.
    void install(CommandDispatcher &dispatcher);
    // The permission dialog is made at start-up beside the window; パーミション opens it.
    void setPermissionDialog(PermissionDialog &dialog);
    // 終了 was chosen (until the next 接続): a transfer that ends now shows nothing, refreshes
    // nothing and never connects again.
    void setQuitting(bool quitting);
    // Decides, before ▲ queues its upload, which of the selected files go up; none: all of them.
    void setUploadCheck(UploadCheck check) { m_uploadCheck = std::move(check); }

    void uploadSelected();   // Button10 ▲
    void downloadSelected(); // Button16 ▼
    void uploadFolder();     // Button11 ↑ﾌｫﾙﾀﾞｱｯﾌﾟﾛｰﾄﾞ
    void downloadFolder();   // Button15 ↓ﾌｫﾙﾀﾞﾀﾞｳﾝﾛｰﾄﾞ
    void deleteSelected();   // 削除
    void makeFolder();       // フォルダ作成
    void editPermissions();  // パーミション
    void cancelTransfer();   // 中止: stops whatever FTP job runs

    static QString deleteQuestion(const QString &name);

    using Job = std::function<TransferJobs::Summary(FtpJobContext &context)>;
    using Success = std::function<void(const TransferJobs::Summary &summary)>;

    // Runs a job of many steps with the progress bar and 中止 showing; success runs only when the
    // job went through, after the summary is shown. Also for 更新分を公開.
    void runTransfer(const QString &name, Job job, bool deletion, Success success);

private:
    // The files of a folder upload the upload check keeps back; nothing when it stopped it all.
    std::optional<QSet<QByteArray>> filesKeptBack(const QString &folder) const;
    void showProgress(const JobProgress &progress);
    // The transfer was stopped by the user; interruptedFile is the one whose transfer it cut.
    void showCancelled(const QString &interruptedFile);
    // One box for what a finished transfer left out: the failure that stopped it, the files
    // that failed while it went on, and what it skipped.
    void reportLeftOut(const TransferJobs::Summary &summary);
    void setTransferRunning(bool running);
    // 中止 and Esc stop every job: connecting, listing and changing folder wait on the server
    // too. The button shows for a job that lasts; quick ones end before it would flicker.
    void followBusy(bool busy);
    void updateStopControl();
    void stopJob();
    bool canStart() const;
    QList<RemoteItem> selectedRemote() const;
    QString localBase() const;
    std::vector<QByteArray> remoteNames() const;
    void sendPermissionChange(const QString &siteCommand);

    FtpJobRunner &m_runner;
    TransferWindowView m_view;
    RemotePane &m_remote;
    LocalPane &m_local;
    UserDialogs &m_dialogs;
    QWidget &m_window;
    StatusSink m_status;
    PermissionDialog *m_permission = nullptr;
    QByteArray m_permissionName; // the item the open permission dialog is about, as the server names it
    QString m_permissionShown;

    CommandDispatcher *m_dispatcher = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QLabel *m_progressLabel = nullptr;
    QPushButton *m_abortButton = nullptr;
    QShortcut *m_escape = nullptr;
    QTimer *m_stopShowDelay = nullptr;
    bool m_transferRunning = false;
    bool m_quitting = false;
    UploadCheck m_uploadCheck;
    // The running transfer's own stop request: asked between steps and after every block, so a
    // stop lands where the connection survives it. The session's hard cancel follows only when
    // the job does not end by itself within kStopGrace (a silent server).
    std::shared_ptr<std::atomic_bool> m_stop;
    quint64 m_transferNumber = 0;
};
