#include "transfer/remotepane.h"

#include "common/userdialogs.h"
#include "common/usererror.h"
#include "transfer/ftpjobrunner.h"
#include "transfer/listsort.h"
#include "transfer/listviewsort.h"
#include "transfer/remotelistingparser.h"
#include "transfer/remotenames.h"
#include "transfer/renamedelegate.h"

#include <QLabel>
#include <QStyle>
#include <QTreeWidget>

#include <iostream>

namespace {

enum Column {
    NameColumn = 0,
    DateColumn = 1,
    SizeColumn = 2,
    AttributeColumn = 3,
};

QVariant folderResult(FtpJobContext &context)
{
    return QVariant::fromValue(RemoteJobs::readCurrentFolder(context.client(), context.progressFor(QString())));
}

} // namespace

RemotePane::RemotePane(FtpJobRunner &runner,
                       QTreeWidget &list,
                       QLabel &folderLabel,
                       ListSort &sort,
                       UserDialogs &dialogs,
                       QWidget &window,
                       StatusSink status)
    : QObject(&window), m_runner(runner), m_list(list), m_folderLabel(folderLabel), m_sort(sort), m_dialogs(dialogs),
      m_window(window), m_status(std::move(status))
{
    auto *delegate = new RenameDelegate(&m_list);
    m_list.setItemDelegate(delegate);
    connect(delegate, &RenameDelegate::editStarted, this, [this](const QModelIndex &index) {
        beginRename(m_list.topLevelItem(index.row()));
    });
    connect(delegate, &RenameDelegate::editAccepted, this, [this](const QModelIndex &index, const QString &text) {
        acceptRename(m_list.topLevelItem(index.row()), text);
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

void RemotePane::connectTo(const RemoteJobs::Login &login)
{
    if (m_connected || m_busy)
        return;
    m_status(QStringLiteral("接続中..."));
    const FtpTimeLimits limits = m_timeLimits;
    m_runner.run(
        login.host,
        [login, limits](FtpJobContext &context) {
            context.client().settings().timeLimits = limits;
            return QVariant::fromValue(
                RemoteJobs::connectAndList(context.client(), login, context.progressFor(QString())));
        },
        [this](const FtpJobOutcome &outcome) {
            if (!succeeded(outcome))
                return;
            const auto result = outcome.result.value<RemoteJobs::ConnectOutcome>();
            m_homeDir = result.homeDir;
            if (!result.failure.isEmpty())
                std::cout << result.failure.toStdString() << std::endl;
            if (!result.folder) {
                // The connection did not stand: say so, and why, instead of a bare "切断成功".
                m_status(connectFailedText());
                m_dialogs.showError(&m_window, result.failure);
                return;
            }
            showFolder(*result.folder);
        });
}

void RemotePane::disconnect()
{
    m_list.clear();
    m_runner.run(QStringLiteral("quit"), [](FtpJobContext &context) {
        context.client().quit();
        return QVariant();
    });
}

void RemotePane::quit()
{
    m_runner.session().cancel();
    m_runner.run(QStringLiteral("quit"), [](FtpJobContext &context) {
        context.client().abort();
        context.client().quit();
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
            context.client().changeDirUp();
            context.client().currentDir();
            return folderResult(context);
        },
        [this](const FtpJobOutcome &outcome) {
            if (succeeded(outcome))
                showFolder(outcome.result.value<RemoteFolder>());
        });
}

void RemotePane::enterSelectedFolder()
{
    const QList<QTreeWidgetItem *> selected = m_list.selectedItems();
    if (m_busy || selected.isEmpty() || !selected.constFirst()->data(0, kFolderRole).toBool())
        return;
    const QByteArray path = m_folderBytes + '/' + selected.constFirst()->data(0, kNameRole).toByteArray();
    m_status(QStringLiteral("ﾃﾞｨﾚｸﾄﾘ変換中..."));
    m_runner.run(
        QStringLiteral("cd"),
        [path](FtpJobContext &context) {
            context.client().changeDir(RemoteJobs::bytes(path));
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
    ListViewSort::sort(m_list, m_sort);
}

QTreeWidgetItem *RemotePane::makeItem(const RemoteItem &item) const
{
    static const QIcon folderIcon = m_list.style()->standardIcon(QStyle::SP_DirIcon);
    static const QIcon fileIcon = m_list.style()->standardIcon(QStyle::SP_FileIcon);
    auto *row = new QTreeWidgetItem(
        {item.displayName, item.dateText, RemoteListingParser::sizeText(item.size), item.attributes});
    row->setIcon(NameColumn, item.folder ? folderIcon : fileIcon);
    row->setData(NameColumn, kNameRole, item.name);
    row->setData(NameColumn, kFolderRole, item.folder);
    row->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
    if (!item.linkTarget.isEmpty())
        row->setToolTip(NameColumn, QStringLiteral("→ ") + item.linkTarget);
    row->setFlags(row->flags() | Qt::ItemIsEditable);
    return row;
}

void RemotePane::showFolder(const RemoteFolder &folder)
{
    m_folderBytes = folder.path;
    m_folderLabel.setText(RemoteNames::decode(folder.path));
    QList<QTreeWidgetItem *> rows;
    rows.reserve(static_cast<qsizetype>(folder.items.size()));
    for (const RemoteItem &item : folder.items)
        rows.append(makeItem(item));
    m_list.setUpdatesEnabled(false);
    m_list.clear();
    m_list.addTopLevelItems(rows);
    m_list.setUpdatesEnabled(true);
}

std::vector<QByteArray> RemotePane::currentNames() const
{
    std::vector<QByteArray> names;
    names.reserve(static_cast<std::size_t>(m_list.topLevelItemCount()));
    for (int i = 0; i < m_list.topLevelItemCount(); ++i)
        names.push_back(m_list.topLevelItem(i)->data(0, kNameRole).toByteArray());
    return names;
}

void RemotePane::beginRename(QTreeWidgetItem *item)
{
    if (!item)
        return;
    m_renamePending = true;
    m_renameOld = item->data(NameColumn, kNameRole).toByteArray();
}

void RemotePane::acceptRename(QTreeWidgetItem *item, const QString &text)
{
    const QByteArray oldName = m_renameOld;
    const bool pending = m_renamePending;
    m_renameOld.clear();
    m_renamePending = false;
    if (!item || !pending || oldName.isEmpty() || m_busy || text == RemoteNames::decode(oldName))
        return;
    QByteArray newName;
    try {
        newName = RemoteNames::encodeLike(text, currentNames());
    } catch (const UserError &error) {
        m_dialogs.showError(&m_window, error.text());
        return;
    }
    const QString oldText = item->text(NameColumn);
    item->setText(NameColumn, text);
    item->setData(NameColumn, kNameRole, newName);
    // The item may go with a refresh before the answer comes; it is found again by its name.
    m_runner.run(
        QStringLiteral("rename"),
        [oldName, newName](FtpJobContext &context) {
            context.client().rename(RemoteJobs::bytes(oldName), RemoteJobs::bytes(newName));
            return QVariant();
        },
        [this, oldName, newName, oldText](const FtpJobOutcome &outcome) {
            if (succeeded(outcome))
                return;
            for (int i = 0; i < m_list.topLevelItemCount(); ++i) {
                QTreeWidgetItem *row = m_list.topLevelItem(i);
                if (row->data(NameColumn, kNameRole).toByteArray() == newName) {
                    row->setText(NameColumn, oldText);
                    row->setData(NameColumn, kNameRole, oldName);
                    break;
                }
            }
        });
}
