#include "transfer/transfercommands.h"

#include "common/commanddispatcher.h"
#include "common/userdialogs.h"
#include "common/usererror.h"
#include "transfer/folderwalk.h"
#include "transfer/ftpjobcontext.h"
#include "transfer/ftpjobrunner.h"
#include "transfer/localpane.h"
#include "transfer/permissiondialog.h"
#include "transfer/remotenames.h"
#include "transfer/remotepane.h"
#include "transfer/transferpaths.h"

#include <QAction>
#include <QDir>
#include <QKeySequence>
#include <QLabel>
#include <QMap>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>

namespace {

constexpr int kProgressPercent = 100;
constexpr int kProgressBarWidth = 80;
constexpr std::chrono::milliseconds kStopGrace{2000};
constexpr std::chrono::milliseconds kStopShowDelay{300};
constexpr qsizetype kSkippedShown = 20;

QString doneText()
{
    return QStringLiteral("完了");
}

} // namespace

TransferCommands::TransferCommands(FtpJobRunner &runner,
                                   const TransferWindowView &view,
                                   RemotePane &remote,
                                   LocalPane &local,
                                   UserDialogs &dialogs,
                                   QWidget &window,
                                   StatusSink status)
    : QObject(&window), m_runner(runner), m_view(view), m_remote(remote), m_local(local), m_dialogs(dialogs),
      m_window(window), m_status(std::move(status))
{
    m_progressLabel = new QLabel(m_view.statusBar);
    m_progressLabel->setObjectName(QStringLiteral("ProgressLabel"));
    m_progressLabel->setAccessibleDescription(QStringLiteral("転送中のファイルと進み具合"));
    m_progressLabel->setTextFormat(Qt::PlainText);
    m_progressBar = new QProgressBar(m_view.statusBar);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setAccessibleName(QStringLiteral("転送の進み具合"));
    m_progressBar->setFixedWidth(kProgressBarWidth);
    m_progressBar->setRange(0, kProgressPercent);
    m_progressBar->setTextVisible(false);
    m_abortButton = new QPushButton(QStringLiteral("中止"), m_view.statusBar);
    m_abortButton->setObjectName(QStringLiteral("AbortButton"));
    m_abortButton->setAccessibleName(m_abortButton->text());
    m_abortButton->setToolTip(QStringLiteral("実行中の処理を中止します (Esc)"));
    m_abortButton->setFocusPolicy(Qt::StrongFocus);
    m_abortButton->setAutoDefault(false);
    m_view.statusBar->addWidget(m_progressLabel, 1);
    m_view.statusBar->addPermanentWidget(m_progressBar);
    m_view.statusBar->addPermanentWidget(m_abortButton);
    m_progressBar->hide();
    m_abortButton->hide();
    m_stopShowDelay = new QTimer(this);
    m_stopShowDelay->setSingleShot(true);
    m_stopShowDelay->setInterval(kStopShowDelay);
    connect(m_stopShowDelay, &QTimer::timeout, this, &TransferCommands::updateStopControl);
    connect(&m_runner.session(), &FtpSession::busyChanged, this, &TransferCommands::followBusy);

    connect(&m_runner.session(), &FtpSession::progress, this, [this](quint64, const JobProgress &progress) {
        if (m_transferRunning)
            showProgress(progress);
    });
}

void TransferCommands::install(CommandDispatcher &dispatcher)
{
    m_dispatcher = &dispatcher;
    const auto add = [&dispatcher](const char *name, std::function<void()> action) {
        dispatcher.add(QString::fromLatin1(name), [action = std::move(action)](int) { action(); });
    };
    add("Button10Click", [this] { uploadSelected(); });
    add("Button16Click", [this] { downloadSelected(); });
    add("Button11Click", [this] { uploadFolder(); });
    add("Button15Click", [this] { downloadFolder(); });
    add("mnuDeleteClick", [this] { deleteSelected(); });
    add("mnuMakeFolderClick", [this] { makeFolder(); });
    add("mnuPermissionClick", [this] { editPermissions(); });
    add("AbortButtonClick", [this] { cancelTransfer(); });

    const auto click = [this, &dispatcher](QAbstractButton *button, const char *handler) {
        const QString name = QString::fromLatin1(handler);
        connect(button, &QAbstractButton::clicked, this, [&dispatcher, name] { dispatcher.run(name); });
    };
    const auto trigger = [this, &dispatcher](QAction *action, const char *handler) {
        const QString name = QString::fromLatin1(handler);
        connect(action, &QAction::triggered, this, [&dispatcher, name] { dispatcher.run(name); });
    };
    click(m_view.uploadButton, "Button10Click");
    click(m_view.downloadButton, "Button16Click");
    click(m_view.uploadFolderButton, "Button11Click");
    click(m_view.downloadFolderButton, "Button15Click");
    click(m_abortButton, "AbortButtonClick");
    trigger(m_view.deleteAction, "mnuDeleteClick");
    trigger(m_view.makeFolderAction, "mnuMakeFolderClick");
    trigger(m_view.permissionAction, "mnuPermissionClick");
    // Esc stops a job from anywhere in the window; only while one runs, so that otherwise it
    // still ends an edit of a name.
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), &m_window);
    m_escape->setContext(Qt::WindowShortcut);
    m_escape->setEnabled(false);
    connect(
        m_escape, &QShortcut::activated, this, [&dispatcher] { dispatcher.run(QStringLiteral("AbortButtonClick")); });
}

void TransferCommands::setQuitting(bool quitting)
{
    m_quitting = quitting;
}

void TransferCommands::setPermissionDialog(PermissionDialog &dialog)
{
    m_permission = &dialog;
    connect(&dialog, &PermissionDialog::changeRequested, this, &TransferCommands::sendPermissionChange);
}

QString TransferCommands::deleteQuestion(const QString &name)
{
    return name + QStringLiteral("を削除します。") + QStringLiteral("\n\n") + QStringLiteral("   よろしいですか？");
}

bool TransferCommands::canStart() const
{
    return m_remote.isConnected() && !m_runner.isBusy();
}

QList<RemoteItem> TransferCommands::selectedRemote() const
{
    // In list order, whatever order they were picked in.
    return m_remote.selectedItems();
}

QString TransferCommands::localBase() const
{
    const QString folder = m_local.folder();
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

std::vector<QByteArray> TransferCommands::remoteNames() const
{
    return m_remote.currentNames();
}

void TransferCommands::setTransferRunning(bool running)
{
    m_transferRunning = running;
    m_progressBar->setVisible(running);
    // Whatever runs next (the refresh after a transfer) can be stopped again.
    m_abortButton->setEnabled(true);
    updateStopControl();
    if (running) {
        m_progressBar->setRange(0, 0);
        m_progressLabel->clear();
    }
}

void TransferCommands::showProgress(const JobProgress &progress)
{
    // The status bar of a 480-pixel window leaves the label little room: it shows where the job
    // is ("15/40 site/a.gif"), the bytes go to the bar's hint and accessible description.
    m_progressLabel->setText(progress.name);
    const QString description = progress.description();
    m_progressLabel->setToolTip(description);
    m_progressBar->setToolTip(description);
    m_progressBar->setAccessibleDescription(description);
    if (const std::optional<int> percent = progress.percent()) {
        // In percent, so that a screen reader that reads the value as it is and one that works
        // out the share of the range both say the same.
        m_progressBar->setRange(0, kProgressPercent);
        m_progressBar->setValue(*percent);
    } else {
        m_progressBar->setRange(0, 0);
    }
}

void TransferCommands::runTransfer(const QString &name, Job job, bool deletion, Success success)
{
    setTransferRunning(true);
    ++m_transferNumber;
    m_stop = std::make_shared<std::atomic_bool>(false);
    m_runner.run(
        name,
        [job = std::move(job), stop = m_stop](FtpJobContext &context) {
            FtpJobContext stoppable(
                context.files(),
                [&context](const JobProgress &progress) { context.reportProgress(progress); },
                [&context, stop] { return stop->load() || context.stopRequested(); });
            return QVariant::fromValue(job(stoppable));
        },
        [this, deletion, success = std::move(success)](const FtpJobOutcome &outcome) {
            setTransferRunning(false);
            // After 終了 the window is gone and so is the connection, on purpose: nothing may
            // bring either back.
            if (m_quitting)
                return;
            if (outcome.cancelled) {
                showCancelled(QString());
                return;
            }
            if (!outcome.succeeded()) {
                m_progressLabel->clear();
                m_dialogs.showError(&m_window, outcome.error);
                return;
            }
            const auto summary = outcome.result.value<TransferJobs::Summary>();
            if (summary.cancelled) {
                showCancelled(summary.interruptedFile);
                return;
            }
            m_progressLabel->setText(deletion ? TransferJobs::describeDeletion(summary)
                                              : TransferJobs::describeTransfer(summary));
            // A command stopped by a failure leaves the lists and the status as they were.
            if (success && summary.stopError.isEmpty())
                success(summary);
            reportLeftOut(summary);
        });
}

void TransferCommands::showCancelled(const QString &interruptedFile)
{
    m_status(QStringLiteral("中止しました"));
    QString text = QStringLiteral("途中で中止しました。");
    if (!interruptedFile.isEmpty())
        text += interruptedFile + QStringLiteral(" は転送されていません。");
    text += QStringLiteral("それまでの分は済んでいます");
    m_progressLabel->setText(text);
    m_progressLabel->setToolTip(text);
    if (m_remote.isConnected()) {
        m_remote.refresh();
        return;
    }
    // A server slow to answer ABOR costs the connection; the user wants to go on where they
    // were, so connect again (接続, into the folder shown) once this job is off the books.
    QTimer::singleShot(0, this, [this] {
        if (!m_quitting && !m_remote.isConnected() && m_dispatcher)
            m_dispatcher->run(QStringLiteral("Button1Click"));
    });
}

void TransferCommands::reportLeftOut(const TransferJobs::Summary &summary)
{
    // A box taller than the screen helps nobody: the first few, then how many more.
    const auto shortList = [](const QStringList &entries) {
        QStringList lines = entries.mid(0, kSkippedShown);
        if (entries.size() > kSkippedShown)
            lines.append(QStringLiteral("ほか %1 個").arg(entries.size() - kSkippedShown));
        return lines.join(u'\n');
    };
    QStringList parts;
    if (!summary.stopError.isEmpty())
        parts.append(summary.stopError);
    if (!summary.failed.isEmpty())
        parts.append(QStringLiteral("次のものは転送できませんでした:\n") + shortList(summary.failed));
    if (!summary.skipped.isEmpty())
        parts.append(QStringLiteral("次のものは飛ばしました:\n") + shortList(summary.skipped));
    parts.append(summary.notes);
    if (parts.isEmpty())
        return;
    if (summary.stopError.isEmpty() && summary.failed.isEmpty())
        m_dialogs.warn(&m_window, parts.join(QStringLiteral("\n\n")));
    else
        m_dialogs.showError(&m_window, parts.join(QStringLiteral("\n\n")));
}

void TransferCommands::uploadSelected()
{
    if (!canStart())
        return;
    QList<QByteArray> names;
    for (int i = 0; i < m_view.localList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = m_view.localList->topLevelItem(i);
        if (item->isSelected())
            names.append(item->data(0, LocalPane::kNameRole).toByteArray());
    }
    const QString base = localBase();
    if (m_uploadCheck && !names.isEmpty()) {
        const std::optional<QList<QByteArray>> going = m_uploadCheck(base, names);
        if (!going)
            return;
        names = *going;
    }
    if (names.isEmpty())
        return;
    m_status(QStringLiteral("ｱｯﾌﾟﾛｰﾄﾞ中..."));
    const std::vector<QByteArray> folderNames = remoteNames();
    runTransfer(
        QStringLiteral("upload"),
        [base, names, folderNames](FtpJobContext &context) {
            return TransferJobs::uploadFiles(context, base, names, folderNames);
        },
        false,
        [this](const TransferJobs::Summary &) {
            m_remote.refresh();
            m_status(doneText());
        });
}

void TransferCommands::downloadSelected()
{
    if (!canStart())
        return;
    QList<TransferJobs::RemoteTarget> items;
    for (const RemoteItem &item : selectedRemote())
        items.append({item.name, item.size, item.isLink()});
    if (items.isEmpty())
        return;
    m_status(QStringLiteral("ﾀﾞｳﾝﾛｰﾄﾞ中..."));
    const QString base = localBase();
    runTransfer(
        QStringLiteral("download"),
        [base, items](FtpJobContext &context) { return TransferJobs::downloadFiles(context, base, items); },
        false,
        [this](const TransferJobs::Summary &) {
            m_local.refresh();
            m_status(doneText());
        });
}

// The files of a folder about to go up that the upload check keeps back, asked folder by folder
// as ▲ asks for its selection. The walk is the one the job makes again; a beginner's site is
// read in moments.
std::optional<QSet<QByteArray>> TransferCommands::filesKeptBack(const QString &folder) const
{
    QSet<QByteArray> keptBack;
    if (!m_uploadCheck)
        return keptBack;
    QMap<QByteArray, QList<QByteArray>> namesByFolder;
    for (const QByteArray &file : FolderWalk::walkLocalFolder(QFile::encodeName(folder)).files) {
        const qsizetype slash = file.lastIndexOf('/');
        namesByFolder[file.left(slash)].append(file.mid(slash + 1));
    }
    for (auto it = namesByFolder.cbegin(); it != namesByFolder.cend(); ++it) {
        const std::optional<QList<QByteArray>> going = m_uploadCheck(QFile::decodeName(it.key()), it.value());
        if (!going)
            return std::nullopt;
        for (const QByteArray &name : it.value()) {
            if (!going->contains(name))
                keptBack.insert(it.key() + '/' + name);
        }
    }
    return keptBack;
}

void TransferCommands::uploadFolder()
{
    if (!canStart())
        return;
    const QString folder = QDir::cleanPath(m_local.folder());
    if (TransferPaths::parentPath(folder + QLatin1Char('/'), u'/').isEmpty()) {
        m_dialogs.showError(
            &m_window,
            QStringLiteral("%1 はアップロードできません。アップロードするフォルダを選んでください").arg(folder));
        return;
    }
    const std::optional<QSet<QByteArray>> keptBack = filesKeptBack(folder);
    if (!keptBack)
        return;
    m_status(QStringLiteral("ｱｯﾌﾟﾛｰﾄﾞ中..."));
    const std::vector<QByteArray> folderNames = remoteNames();
    runTransfer(
        QStringLiteral("upload folder"),
        [folder, folderNames, keptBack = *keptBack](FtpJobContext &context) {
            return TransferJobs::uploadFolder(context, folder, folderNames, {}, keptBack);
        },
        false,
        [this](const TransferJobs::Summary &) {
            m_remote.refresh();
            m_status(doneText());
        });
}

void TransferCommands::downloadFolder()
{
    if (!canStart())
        return;
    const QList<RemoteItem> selected = selectedRemote();
    if (selected.isEmpty() || !selected.constFirst().folder)
        return;
    const QByteArray top = selected.constFirst().name;
    m_status(QStringLiteral("ﾌｫﾙﾀﾞごとﾀﾞｳﾝﾛｰﾄﾞ中..."));
    const QString base = m_local.folder();
    runTransfer(
        QStringLiteral("download folder"),
        [base, top](FtpJobContext &context) { return TransferJobs::downloadFolder(context, base, top); },
        false,
        [this](const TransferJobs::Summary &) { m_status(doneText()); });
}

void TransferCommands::deleteSelected()
{
    if (m_runner.isBusy())
        return;
    const QList<RemoteItem> selected = selectedRemote();
    if (selected.isEmpty())
        return;
    const RemoteItem &first = selected.constFirst();
    MessageBoxRequest question;
    question.title = QStringLiteral("警告");
    question.text = deleteQuestion(first.displayName);
    question.icon = DialogIcon::Warning;
    question.buttons = {DialogButton::Yes, DialogButton::No, DialogButton::Cancel};
    question.defaultButton = DialogButton::Cancel;
    if (m_dialogs.message(&m_window, question) != DialogButton::Yes)
        return;
    if (!first.folder) {
        QList<QByteArray> names;
        for (const RemoteItem &item : selected)
            names.append(item.name);
        runTransfer(
            QStringLiteral("delete"),
            [names](FtpJobContext &context) { return TransferJobs::deleteFiles(context, names); },
            true,
            [this](const TransferJobs::Summary &) { m_remote.refresh(); });
        return;
    }
    const QByteArray top = first.name;
    m_status(QStringLiteral("削除中..."));
    runTransfer(
        QStringLiteral("delete folder"),
        [top](FtpJobContext &context) { return TransferJobs::deleteFolder(context, top); },
        true,
        [this](const TransferJobs::Summary &) {
            m_remote.refresh();
            m_status(doneText());
        });
}

void TransferCommands::makeFolder()
{
    if (m_view.remoteFolder->text().isEmpty() || m_runner.isBusy())
        return;
    const std::optional<QString> answer = m_dialogs.inputText(
        &m_window, QStringLiteral("ﾌｫﾙﾀﾞ作成"), QStringLiteral("新しいﾌｫﾙﾀﾞ名を指定してください"), QString());
    if (!answer || answer->isEmpty())
        return;
    QByteArray name;
    try {
        name = RemoteNames::encodeLike(*answer, remoteNames());
    } catch (const UserError &error) {
        m_dialogs.showError(&m_window, error.text());
        return;
    }
    m_runner.run(
        QStringLiteral("mkdir"),
        [name](FtpJobContext &context) {
            context.files().makeDir(std::string(name.constData(), static_cast<std::size_t>(name.size())));
            return QVariant();
        },
        [this](const FtpJobOutcome &outcome) {
            if (outcome.cancelled || m_quitting)
                return;
            if (!outcome.succeeded()) {
                m_dialogs.showError(&m_window, outcome.error);
                return;
            }
            m_remote.refresh();
        });
}

void TransferCommands::editPermissions()
{
    const QList<RemoteItem> selected = selectedRemote();
    if (!m_permission || selected.isEmpty())
        return;
    const RemoteItem &first = selected.constFirst();
    m_permissionName = first.name;
    m_permissionShown = first.displayName;
    m_permission->editPermissions(m_permissionShown, first.attributes);
}

void TransferCommands::sendPermissionChange(const QString &siteCommand)
{
    // The dialog words the change as "chmod 755 name" with the name as shown; the server gets
    // the mode and the name's own bytes, in whatever form its protocol takes them.
    bool octal = false;
    const int mode = siteCommand.section(QLatin1Char(' '), 1, 1).toInt(&octal, 8);
    if (!octal)
        return;
    const std::string name(m_permissionName.constData(), static_cast<std::size_t>(m_permissionName.size()));
    m_runner.run(
        QStringLiteral("chmod"),
        [name, mode](FtpJobContext &context) {
            context.files().setPermissions(name, mode);
            return QVariant();
        },
        [this](const FtpJobOutcome &outcome) {
            if (!m_permission || m_quitting)
                return;
            if (!outcome.succeeded()) {
                m_permission->changeFailed(outcome.error);
                return;
            }
            m_permission->changeSucceeded();
            m_remote.refresh();
        });
}

void TransferCommands::followBusy(bool busy)
{
    if (busy) {
        m_abortButton->setEnabled(true);
        m_stopShowDelay->start();
    } else {
        m_stopShowDelay->stop();
    }
    updateStopControl();
}

void TransferCommands::updateStopControl()
{
    const bool busy = m_runner.isBusy();
    m_abortButton->setVisible(m_transferRunning || (busy && !m_stopShowDelay->isActive()));
    if (m_escape)
        m_escape->setEnabled(m_transferRunning || busy);
}

void TransferCommands::stopJob()
{
    if (!m_runner.isBusy())
        return;
    m_abortButton->setEnabled(false);
    m_status(QStringLiteral("中止しました"));
    m_runner.session().cancel();
}

void TransferCommands::cancelTransfer()
{
    if (!m_transferRunning) {
        stopJob();
        return;
    }
    m_abortButton->setEnabled(false);
    m_progressLabel->setText(QStringLiteral("中止しています..."));
    m_stop->store(true);
    QTimer::singleShot(kStopGrace, this, [this, number = m_transferNumber] {
        if (m_transferRunning && number == m_transferNumber)
            m_runner.session().cancel();
    });
}
