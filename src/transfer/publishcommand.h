#pragma once

#include "transfer/publishjobs.h"
#include "transfer/publishsitemarks.h"
#include "transfer/siterecord.h"
#include "transfer/sitesettings.h"
#include "transfer/uploadcheck.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class FtpJobRunner;
struct FtpJobOutcome;
class LocalPane;
class QLabel;
class RemotePane;
class TransferCommands;
class UserDialogs;
class QWidget;

// 更新分を公開 and the site's publishing folders: このフォルダを公開元にする takes the folder of
// the local tree, このフォルダを公開先にする the current remote folder, and the label shows both;
// 除外… edits what the site's publish leaves out.
// Publishing reads both trees into a plan (a job of the window's session), settles files of the
// same size as the user chooses, shows the plan in PublishDialog and runs what the user ticked
// as a transfer, with its progress and 中止, then refreshes the remote list. Refers to the
// window's runner, panes, commands, label and dialogs; reaches the shown site through Site.
class PublishCommand final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PublishCommand)

public:
    // The site the window shows, as far as publishing needs it.
    struct Site
    {
        // The shown entry when the book holds it.
        std::function<std::optional<SiteRecord>()> record;
        std::function<SiteSettings()> settings;
        // Keeps the entry's settings and writes them.
        std::function<void(const SiteSettings &settings)> store;
    };

    using StatusSink = std::function<void(const QString &text)>;

    PublishCommand(FtpJobRunner &runner,
                   TransferCommands &commands,
                   RemotePane &remote,
                   LocalPane &local,
                   QLabel &folders,
                   UserDialogs &dialogs,
                   QWidget &window,
                   Site site,
                   StatusSink status);

    void publish();                              // 更新分を公開
    void useLocalFolder();                       // このフォルダを公開元にする
    void useFolder(const QString &folder);       // another window's 公開元にする
    void useRemoteFolder(const QString &folder); // このフォルダを公開先にする
    void editExclusions();                       // 除外…: what the site's publish leaves out
    // The shown site changed: the label follows.
    void showSite();

    static QString noSourceText();
    // The page check's count of エラー rows, shown beside each page in the plan.
    void setPageErrorCount(PageErrorCount count) { m_pageErrors = std::move(count); }
    // The site check run before the plan is shown, whose marks go beside the page check's.
    void setSiteCheck(PublishSiteMarks::Check check) { m_siteCheck = std::move(check); }

private:
    std::optional<SiteRecord> savedSite();
    void scanned(const FtpJobOutcome &outcome);
    void showPlan(PublishJobs::Scan scan);
    void checkSite(const PublishJobs::Scan &scan);
    void showDialog(PublishJobs::Scan scan, const std::optional<SiteLinks> &links);
    void runPlan(const PublishJobs::Scan &scan);

    FtpJobRunner &m_runner;
    TransferCommands &m_commands;
    RemotePane &m_remote;
    LocalPane &m_local;
    QLabel &m_folders;
    UserDialogs &m_dialogs;
    QWidget &m_window;
    Site m_site;
    StatusSink m_status;
    PageErrorCount m_pageErrors;
    PublishSiteMarks::Check m_siteCheck;
};
