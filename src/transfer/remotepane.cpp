#include "transfer/remotepane.h"

#include "common/userdialogs.h"
#include "common/usererror.h"
#include "transfer/ftpjobrunner.h"
#include "transfer/listsort.h"
#include "transfer/remotelistmodel.h"
#include "transfer/remotenames.h"
#include "transfer/renamedelegate.h"

#include <QLabel>
#include <QStyle>
#include <QThreadPool>
#include <QTreeView>

#include <algorithm>
#include <iostream>

namespace {

QVariant folderResult(FtpJobContext &context)
{
    return QVariant::fromValue(RemoteJobs::readCurrentFolder(context.files(), context.progressFor(QString())));
}

} // namespace

RemotePane::RemotePane(FtpJobRunner &runner,
                       QTreeView &list,
                       RemoteListModel &model,
                       QLabel &folderLabel,
                       ListSort &sort,
                       UserDialogs &dialogs,
                       QWidget &window,
                       StatusSink status)
    : QObject(&window), m_runner(runner), m_list(list), m_model(model), m_folderLabel(folderLabel), m_sort(sort),
      m_dialogs(dialogs), m_window(window), m_status(std::move(status))
{
    m_model.setIcons(m_list.style()->standardIcon(QStyle::SP_DirIcon),
                     m_list.style()->standardIcon(QStyle::SP_FileIcon));
    auto *delegate = new RenameDelegate(&m_list);
    m_list.setItemDelegate(delegate);
    connect(
        delegate, &RenameDelegate::editStarted, this, [this](const QModelIndex &index) { beginRename(index.row()); });
    connect(delegate, &RenameDelegate::editAccepted, this, [this](const QModelIndex &index, const QString &text) {
        acceptRename(index.row(), text);
    });
    setBusy(false);
}

void RemotePane::setBusy(bool busy)
{
    m_busy = busy;
    m_list.setEditTriggers(busy ? QAbstractItemView::NoEditTriggers
                                : QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
}

bool RemotePane::succeeded(const FtpJobOutcome &outcome)
{
    if (outcome.cancelled)
        return false;
    if (!outcome.succeeded()) {
        m_dialogs.showError(&m_window, outcome.error);
        return false;
    }
    return true;
}

void RemotePane::connectTo(const RemoteJobs::Login &login, Refused onRefused, Stood onStood)
{
    if (m_connected || m_busy)
        return;
    startConnecting(login, std::move(onRefused), std::move(onStood));
}

void RemotePane::startConnecting(const RemoteJobs::Login &login, Refused onRefused, Stood onStood)
{
    m_status(connectingText());
    const TransferTimeLimits limits = m_timeLimits;
    m_runner.run(
        login.host,
        [login, limits, connector = m_connector](FtpJobContext &context) {
            context.files().setTimeLimits(limits);
            return QVariant::fromValue(connector(context.files(), login, context.progressFor(QString())));
        },
        [this, login, onRefused = std::move(onRefused), onStood = std::move(onStood)](const FtpJobOutcome &outcome) {
            if (!succeeded(outcome))
                return;
            auto result = outcome.result.value<RemoteJobs::ConnectOutcome>();
            m_homeDir = result.homeDir;
            if (!result.failure.isEmpty())
                std::cout << result.failure.toStdString() << std::endl;
            if (!result.folder) {
                // The connection did not stand: say so, and why, instead of a bare "切断成功".
                m_status(connectFailedText());
                if (!onRefused) {
                    m_dialogs.showError(&m_window, result.failure);
                    return;
                }
                if (const auto again = onRefused(login, result))
                    startConnecting(*again, onRefused, onStood);
                return;
            }
            if (onStood)
                onStood(result);
            showFolder(std::move(*result.folder));
        });
}

void RemotePane::disconnect()
{
    m_model.clear();
    m_runner.run(QStringLiteral("quit"), [](FtpJobContext &context) {
        context.files().quit();
        return QVariant();
    });
}

void RemotePane::quit()
{
    m_runner.session().cancel();
    m_runner.run(QStringLiteral("quit"), [](FtpJobContext &context) {
        context.files().abort();
        context.files().quit();
        return QVariant();
    });
}

void RemotePane::refresh()
{
    m_runner.run(QStringLiteral("list"), folderResult, [this](const FtpJobOutcome &outcome) {
        if (succeeded(outcome))
            showFolder(outcome.result.value<RemoteFolder>());
    });
}

void RemotePane::goUp()
{
    if (m_busy || RemoteNames::decode(m_homeDir) == m_folderLabel.text())
        return;
    m_runner.run(
        QStringLiteral("up"),
        [](FtpJobContext &context) {
            context.files().changeDirUp();
            context.files().currentDir();
            return folderResult(context);
        },
        [this](const FtpJobOutcome &outcome) {
            if (succeeded(outcome))
                showFolder(outcome.result.value<RemoteFolder>());
        });
}

void RemotePane::enterSelectedFolder()
{
    const QList<int> selected = selectedRows();
    if (m_busy || selected.isEmpty() || !m_model.item(selected.constFirst()).folder)
        return;
    const QByteArray path = m_folderBytes + '/' + m_model.item(selected.constFirst()).name;
    m_status(QStringLiteral("ﾃﾞｨﾚｸﾄﾘ変換中..."));
    m_runner.run(
        QStringLiteral("cd"),
        [path](FtpJobContext &context) {
            context.files().changeDir(RemoteJobs::bytes(path));
            return folderResult(context);
        },
        [this](const FtpJobOutcome &outcome) {
            if (!succeeded(outcome))
                return;
            showFolder(outcome.result.value<RemoteFolder>());
            m_status(QString());
        });
}

void RemotePane::sortBy(int column)
{
    m_sort.click(column);
    m_model.sortBy(m_sort);
}

void RemotePane::startRename()
{
    if (m_busy)
        return;
    // The row the pop-up menu was opened on, or else the first one selected.
    QModelIndex current = m_list.currentIndex();
    if (!current.isValid() || !m_list.selectionModel()->isRowSelected(current.row())) {
        const QList<int> selected = selectedRows();
        if (selected.isEmpty())
            return;
        current = m_model.index(selected.constFirst(), RemoteListModel::NameColumn);
    }
    const QModelIndex name = m_model.index(current.row(), RemoteListModel::NameColumn);
    m_list.scrollTo(name);
    m_list.edit(name);
}

QList<int> RemotePane::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_list.selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<RemoteItem> RemotePane::selectedItems() const
{
    QList<RemoteItem> items;
    for (const int row : selectedRows())
        items.append(m_model.item(row));
    return items;
}

std::vector<QByteArray> RemotePane::currentNames() const
{
    std::vector<QByteArray> names;
    names.reserve(static_cast<std::size_t>(m_model.items().size()));
    for (const RemoteItem &item : m_model.items())
        names.push_back(item.name);
    return names;
}

void RemotePane::showFolder(RemoteFolder folder)
{
    m_folderBytes = folder.path;
    m_folderLabel.setText(RemoteNames::decode(folder.path));
    // Freeing the rows of a long listing would cost the window's thread tens of milliseconds.
    QThreadPool::globalInstance()->start(
        [old = m_model.replaceItems(std::move(folder.items))]() mutable { old.clear(); });
}

void RemotePane::beginRename(int row)
{
    if (row < 0 || row >= m_model.rowCount())
        return;
    m_renamePending = true;
    m_renameOld = m_model.item(row).name;
}

void RemotePane::acceptRename(int row, const QString &text)
{
    const QByteArray oldName = m_renameOld;
    const bool pending = m_renamePending;
    m_renameOld.clear();
    m_renamePending = false;
    if (row < 0 || row >= m_model.rowCount() || !pending || oldName.isEmpty() || m_busy
        || text == RemoteNames::decode(oldName))
        return;
    QByteArray newName;
    try {
        newName = RemoteNames::encodeLike(text, currentNames());
    } catch (const UserError &error) {
        m_dialogs.showError(&m_window, error.text());
        return;
    }
    const QString oldText = m_model.item(row).displayName;
    m_model.rename(row, newName, text);
    // The row may move or go with a refresh before the answer comes; it is found again by its name.
    m_runner.run(
        QStringLiteral("rename"),
        [oldName, newName](FtpJobContext &context) {
            context.files().rename(RemoteJobs::bytes(oldName), RemoteJobs::bytes(newName));
            return QVariant();
        },
        [this, oldName, newName, oldText](const FtpJobOutcome &outcome) {
            if (succeeded(outcome))
                return;
            m_model.rename(m_model.rowOfName(newName), oldName, oldText);
        });
}
