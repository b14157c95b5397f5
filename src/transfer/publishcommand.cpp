#include "transfer/publishcommand.h"

#include "common/userdialogs.h"
#include "transfer/ftpjobcontext.h"
#include "transfer/ftpjobrunner.h"
#include "transfer/localpane.h"
#include "transfer/publishdialog.h"
#include "transfer/remotenames.h"
#include "transfer/remotepane.h"
#include "transfer/transfercommands.h"

#include <QDir>
#include <QFile>
#include <QLabel>

namespace {

const QString kTitle = QStringLiteral("更新分を公開");

} // namespace

PublishCommand::PublishCommand(FtpJobRunner &runner,
                               TransferCommands &commands,
                               RemotePane &remote,
                               LocalPane &local,
                               QLabel &folders,
                               UserDialogs &dialogs,
                               QWidget &window,
                               Site site,
                               StatusSink status)
    : QObject(&window), m_runner(runner), m_commands(commands), m_remote(remote), m_local(local), m_folders(folders),
      m_dialogs(dialogs), m_window(window), m_site(std::move(site)), m_status(std::move(status))
{}

QString PublishCommand::noSourceText()
{
    return QStringLiteral("公開元のフォルダが決まっていません。下のフォルダの一覧でサイトのフォルダを右クリックし、"
                          "「このフォルダを公開元にする」を選んでください");
}

void PublishCommand::showSite()
{
    const std::optional<SiteRecord> record = m_site.record();
    const SiteSettings settings = m_site.settings();
    if (!record || settings.site.localRoot.isEmpty()) {
        m_folders.setText(QStringLiteral("（未設定）"));
        m_folders.setToolTip(noSourceText());
        return;
    }
    const QString remote = !settings.remoteFolder.isEmpty() ? settings.remoteFolder
        : !record->folder.isEmpty()                         ? record->folder
                                                            : QStringLiteral("（ログインしたフォルダ）");
    const QString text = QDir::toNativeSeparators(settings.site.localRoot) + QStringLiteral(" → ") + remote;
    m_folders.setText(text);
    m_folders.setToolTip(text);
}

std::optional<SiteRecord> PublishCommand::savedSite()
{
    const std::optional<SiteRecord> record = m_site.record();
    if (!record)
        m_dialogs.showError(&m_window, QStringLiteral("先に接続先を保存してください"));
    return record;
}

void PublishCommand::useLocalFolder()
{
    useFolder(m_local.folder());
}

void PublishCommand::useFolder(const QString &folder)
{
    if (folder.isEmpty() || !savedSite())
        return;
    SiteSettings settings = m_site.settings();
    settings.site.localRoot = QDir::cleanPath(folder);
    m_site.store(settings);
    showSite();
}

void PublishCommand::useRemoteFolder(const QString &folder)
{
    if (folder.isEmpty() || !savedSite())
        return;
    SiteSettings settings = m_site.settings();
    settings.remoteFolder = folder;
    m_site.store(settings);
    showSite();
}

void PublishCommand::editExclusions()
{
    if (!savedSite())
        return;
    SiteSettings settings = m_site.settings();
    const std::optional<QString> answer = m_dialogs.inputText(
        &m_window,
        QStringLiteral("公開しないもの"),
        QStringLiteral("更新分を公開で送らない名前を、空白で区切って書いてください。\n"
                       "* は任意の文字の並び、? は任意の 1 文字です。/ で終わる名前はフォルダだけを表します。\n"
                       "公開の途中の一時ファイルとプレビュー用のコピーは、いつも送りません。"),
        settings.site.exclusions);
    if (!answer)
        return;
    settings.site.exclusions = SiteExclusions::joined(SiteExclusions::split(*answer));
    m_site.store(settings);
}

void PublishCommand::publish()
{
    if (!m_remote.isConnected() || m_runner.isBusy())
        return;
    const std::optional<SiteRecord> record = savedSite();
    if (!record)
        return;
    const SiteSettings settings = m_site.settings();
    if (settings.site.localRoot.isEmpty()) {
        m_dialogs.showError(&m_window, noSourceText());
        return;
    }
    QString remoteFolder = settings.remoteFolder.isEmpty() ? record->folder : settings.remoteFolder;
    if (remoteFolder.isEmpty())
        remoteFolder = RemoteNames::decode(m_remote.homeDir());
    const PublishJobs::Site site{
        record->host, record->user, settings.site.localRoot, remoteFolder, SiteExclusions(settings.site.exclusions)};
    m_status(QStringLiteral("公開するものを調べています..."));
    m_runner.run(
        QStringLiteral("publish plan"),
        [site](FtpJobContext &context) { return QVariant::fromValue(PublishJobs::scan(context, site)); },
        [this](const FtpJobOutcome &outcome) { scanned(outcome); });
}

// Reading the trees, or comparing same-size files, came back: the plan goes on to the user.
void PublishCommand::scanned(const FtpJobOutcome &outcome)
{
    if (outcome.cancelled)
        return;
    if (!outcome.succeeded()) {
        m_dialogs.showError(&m_window, outcome.error);
        return;
    }
    showPlan(outcome.result.value<PublishJobs::Scan>());
}

void PublishCommand::showPlan(PublishJobs::Scan scan)
{
    const qsizetype sameSize = scan.plan.count(PublishPlan::State::SameSize);
    if (sameSize > 0) {
        ChoiceRequest question;
        question.title = kTitle;
        question.text = QStringLiteral("前回の公開の記録がないファイルのうち %1 個は、サーバーのファイルと大きさが"
                                       "同じです。\n内容で比較しますか？（サーバーからダウンロードして比べます）")
                            .arg(sameSize);
        question.icon = DialogIcon::Question;
        question.choices = {QStringLiteral("内容で比較"), QStringLiteral("変更なしとみなす")};
        question.defaultChoice = 0;
        question.escapeChoice = 1;
        if (m_dialogs.choose(&m_window, question).choice == 0) {
            m_runner.run(
                QStringLiteral("publish compare"),
                [scan](FtpJobContext &context) mutable {
                    PublishJobs::compareSameSize(context, scan);
                    return QVariant::fromValue(scan);
                },
                [this](const FtpJobOutcome &outcome) { scanned(outcome); });
            return;
        }
        PublishPlan::decideSameSize(scan.plan, {});
    }
    m_status(QString());
    if (!PublishDialog::hasWork(scan.plan)) {
        m_dialogs.notify(&m_window,
                         QStringLiteral("公開するものはありません（変更なし %1 個）")
                             .arg(scan.plan.count(PublishPlan::State::Unchanged)));
        return;
    }
    if (m_siteCheck)
        return checkSite(scan);
    showDialog(std::move(scan), std::nullopt);
}

// Only a plan with work is checked: an unchanged site costs the check nothing.
void PublishCommand::checkSite(const PublishJobs::Scan &scan)
{
    m_status(QStringLiteral("サイトをチェックしています..."));
    m_runner.run(
        QStringLiteral("publish site check"),
        [check = m_siteCheck, site = m_site.settings().site](FtpJobContext &context) {
            const std::optional<SiteLinks> links = check(site, [&context] { return context.stopRequested(); });
            return links ? QVariant::fromValue(*links) : QVariant();
        },
        [this, scan](const FtpJobOutcome &outcome) {
            if (outcome.cancelled)
                return;
            m_status(QString());
            // A site the check could not read is still published: the marks are a help.
            const QVariant result = outcome.result;
            showDialog(scan, result.isValid() ? std::optional(result.value<SiteLinks>()) : std::nullopt);
        });
}

void PublishCommand::showDialog(PublishJobs::Scan scan, const std::optional<SiteLinks> &links)
{
    PublishDialog dialog(scan.plan, &m_window, m_pageErrors, QFile::decodeName(scan.localRoot), links);
    if (m_dialogs.exec(&dialog) != QDialog::Accepted)
        return;
    scan.plan = dialog.plan();
    runPlan(scan);
}

void PublishCommand::runPlan(const PublishJobs::Scan &scan)
{
    m_status(QStringLiteral("公開中..."));
    m_commands.runTransfer(
        QStringLiteral("publish"),
        [scan](FtpJobContext &context) { return PublishJobs::publish(context, scan); },
        false,
        [this](const TransferJobs::Summary &) {
            m_remote.refresh();
            m_status(QStringLiteral("完了"));
        });
}
