#pragma once

#include "common/commanddispatcher.h"
#include "transfer/listsort.h"
#include "transfer/publishsitemarks.h"
#include "transfer/sitebook.h"
#include "transfer/sitesettingsstore.h"
#include "transfer/transferwindowview.h"
#include "transfer/uploadcheck.h"
#include "workspace/siteprofile.h"

#include <QHash>
#include <QString>
#include <QWidget>

class CredentialStore;
#include <memory>

struct TransferTimeLimits;
class FtpJobRunner;
class FtpSession;
class LocalPane;
class PermissionDialog;
class PublishCommand;
class RemotePane;
class SitePasswords;
class SiteConnector;
class SiteSettingsEditor;
class TransferCommands;
class UserDialogs;

// The file-transfer window (Ftp1, "RODav"): a separate, non-modal window that publishes pages
// by FTP. It keeps the site book and its file, connects and disconnects, and composes the
// remote and the local pane. It owns the FTP session (whose worker thread does every FTP step,
// so the window never freezes), the book, the shared sort state and its own command
// dispatcher: its handler names are its own, apart from the main window's.
class TransferWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TransferWindow)

public:
    // dialogs: where its questions and failures are shown.
    explicit TransferWindow(UserDialogs &dialogs, QWidget *parent = nullptr);
    ~TransferWindow() override;

    CommandDispatcher &dispatcher() { return m_dispatcher; }

    QString localFolder() const;
    // Points the local folder tree (and the drive list) at the folder.
    void setLocalFolder(const QString &folder);

    const SiteBook &siteBook() const { return m_book; }
    const SiteSettingsStore &siteSettings() const { return m_siteSettings; }
    int counter() const { return m_counter; }
    // The site of the entry shown, as saved; none for an entry not yet saved.
    SiteProfile shownSite() const;
    // The host of the book's first site whose 公開元 is localRoot; empty when none is.
    QString hostPublishing(const QString &localRoot) const;
    bool isBusy() const;
    QString statusText() const;

    RemotePane &remotePane() { return *m_remote; }
    LocalPane &localPane() { return *m_local; }
    // パーミション opens this dialog, which start-up makes beside the window; from now on it
    // belongs to this window.
    void setPermissionDialog(PermissionDialog &dialog);
    // Tests: short waits for a server that does not answer.
    void setTimeLimits(const TransferTimeLimits &limits);
    // Where site passwords are kept: the desktop keyring, made at start-up beside the window.
    // Without one they are asked at 接続 and kept for the run.
    void setCredentialStore(CredentialStore &store);
    // Asked before ▲ uploads the selected files (the program's page check); none: no question.
    void setUploadCheck(UploadCheck check);
    // Counts a page's エラー rows for the marks in 更新分を公開's plan; none: no marks.
    void setPageErrorCount(PageErrorCount count);
    // Runs the site check before 更新分を公開's plan is shown, for its marks; none: no marks.
    void setSiteCheck(PublishSiteMarks::Check check);
    // Makes folder the 公開元 of the site shown (the main window's site panel asks it); an
    // unsaved site is refused in words.
    void usePublishSource(const QString &folder);

signals:
    // The connection stood up or went down (after the window updated its controls).
    void connectionChanged(bool connected);
    // A job ended and the window took its result in.
    void idle();
    // Another site is shown, or the shown site's settings were stored.
    void siteShown();
    // サイトチェック was asked for the site this window publishes (which has a 公開元).
    void siteCheckRequested(const SiteProfile &site);

protected:
    void closeEvent(QCloseEvent *event) override;
    // The local list follows its folder while the window shows.
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void registerHandlers();
    // 更新分を公開 and the site's publishing folders.
    void installPublishing();
    void loadBook();
    void writeBookQuietly();
    void loadSiteSettings();
    void writeSiteSettings();
    // The record numbered so is now named newName (it was oldName): its settings follow, and
    // take what the boxes show.
    void storeSiteSettings(const QString &oldName, const QString &newName);
    // Whether any record of the book is named so.
    bool bookHasName(const QString &name) const;
    void showSite(int number); // ShowSite
    SiteRecord typedRecord() const;
    void setStatus(const QString &text);
    void setCommandEnabled(QWidget *control, bool enabled);
    void applyEnabled();
    void onConnected(); // OnConnected
    void onLoggedIn();
    void onDisconnected(); // OnDisconnected

    void previousSite();       // Button4 前
    void nextSite();           // Button5 次
    void addSite();            // Button6 追加
    void saveSite();           // Button7 保存
    void cancelAdd();          // Button8 追加中止
    void deleteSite();         // Button9 削除
    void connectToSite();      // Button1 接続
    void chooseKeyFile();      // 鍵...
    void showKeyFile();        // the 鍵... button for the shown site's method and key
    void disconnectFromSite(); // Button2 切断
    void quitAndClose();       // Button3 終了
    void refreshLists();       // 更新 (F5)

    UserDialogs &m_dialogs;
    CommandDispatcher m_dispatcher;
    TransferWindowView m_view;
    SiteBook m_book;
    QString m_bookPath;
    SiteSettingsStore m_siteSettings;
    QString m_siteSettingsPath;
    std::unique_ptr<SiteSettingsEditor> m_settingsEditor;
    std::unique_ptr<SiteConnector> m_connector;
    int m_counter = 0;
    ListSort m_sort;
    FtpSession *m_session = nullptr;
    FtpJobRunner *m_runner = nullptr;
    RemotePane *m_remote = nullptr;
    LocalPane *m_local = nullptr;
    TransferCommands *m_commands = nullptr;
    PublishCommand *m_publish = nullptr;
    SitePasswords *m_passwords = nullptr;
    // The user chose 切断 or 終了 since the last 接続: a closing connection is their doing.
    bool m_disconnectAsked = false;
    // What each control's state would be with no job running; a job disables the FTP commands.
    QHash<QWidget *, bool> m_commandEnabled;
};
