#include "pagecheck/sitecheckpanel.h"

#include "pagecheck/pagecheckpanel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <array>

namespace {

// On a file's item: the file its rows open, empty when they open nothing.
constexpr int kPathRole = Qt::UserRole + 10;

constexpr std::array kLevels = {CheckRow::Level::Error, CheckRow::Level::Caution, CheckRow::Level::Hint};

std::array<int, 3> countsOf(const CheckRows &rows)
{
    std::array<int, 3> counts{};
    for (const CheckRow &row : rows)
        ++counts[std::size_t(row.level)];
    return counts;
}

} // namespace

SiteCheckPanel::SiteCheckPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SiteCheckPanel"));
    setAccessibleName(QStringLiteral("サイトチェック"));
    m_check = new QPushButton(QStringLiteral("チェック"), this);
    m_check->setObjectName(QStringLiteral("SiteCheckStart"));
    m_check->setAccessibleName(QStringLiteral("サイトをチェック"));
    m_stop = new QPushButton(QStringLiteral("中止"), this);
    m_stop->setObjectName(QStringLiteral("SiteCheckStop"));
    m_stop->setAccessibleName(QStringLiteral("サイトチェックを中止"));
    m_stop->setEnabled(false);
    m_external = new QCheckBox(QStringLiteral("外部リンクも確かめる"), this);
    m_external->setObjectName(QStringLiteral("SiteCheckExternalBox"));
    m_external->setAccessibleName(m_external->text());
    m_external->setToolTip(
        QStringLiteral("http:// と https:// のリンク先に、インターネットで問い合わせます（最大 200 個）"));
    m_external->setAccessibleDescription(m_external->toolTip());
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("SiteCheckStatus"));
    m_status->setAccessibleName(QStringLiteral("サイトチェックの状況"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_status->setFocusPolicy(Qt::TabFocus);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("SiteCheckList"));
    m_list->setAccessibleName(QStringLiteral("サイトチェックの結果"));
    m_list->setAccessibleDescription(QStringLiteral("行を選んで Enter キーを押すと、そのページのその場所を開きます"));
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels(PageCheckPanel::rowHeadings());
    m_list->header()->setStretchLastSection(true);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_check);
    buttons->addWidget(m_stop);
    buttons->addWidget(m_external);
    buttons->addWidget(m_status, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(buttons);
    layout->addWidget(m_list, 1);
    setTabOrder(m_check, m_stop);
    setTabOrder(m_stop, m_external);
    setTabOrder(m_external, m_status);
    setTabOrder(m_status, m_list);

    connect(m_check, &QPushButton::clicked, this, &SiteCheckPanel::checkRequested);
    connect(m_stop, &QPushButton::clicked, this, &SiteCheckPanel::stopRequested);
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) { choose(item); });
}

void SiteCheckPanel::clearResults()
{
    m_list->clear();
}

QString SiteCheckPanel::countsText(const CheckRows &rows)
{
    const std::array<int, 3> counts = countsOf(rows);
    QStringList parts;
    for (const CheckRow::Level level : kLevels) {
        if (const int count = counts[std::size_t(level)])
            parts.append(QStringLiteral("%1 %2 件").arg(CheckRow::levelName(level)).arg(count));
    }
    return parts.join(QStringLiteral("・"));
}

QString SiteCheckPanel::outcomeText(int pages, const QList<File> &files)
{
    CheckRows all;
    for (const File &file : files)
        all += file.rows;
    if (all.isEmpty())
        return QStringLiteral("%1 ページを調べました。問題は見つかりませんでした。").arg(pages);
    return QStringLiteral("%1 ページを調べました。%2（全部で %3 件）").arg(pages).arg(countsText(all)).arg(all.size());
}

QString SiteCheckPanel::progressText(int done, int total)
{
    return QStringLiteral("チェックしています… %1 / %2 ファイル").arg(done).arg(total);
}

void SiteCheckPanel::showResult(int pages, const QList<File> &files)
{
    m_list->clear();
    QList<QTreeWidgetItem *> items;
    for (const File &file : files) {
        const QString caption = QStringLiteral("%1（%2）").arg(file.shownPath, countsText(file.rows));
        auto *item = new QTreeWidgetItem({caption});
        item->setData(0, Qt::AccessibleTextRole, caption);
        item->setData(0, kPathRole, file.opens ? file.localPath : QString());
        for (const CheckRow &row : file.rows)
            item->addChild(PageCheckPanel::rowItem(row));
        items.append(item);
    }
    m_list->addTopLevelItems(items);
    for (QTreeWidgetItem *item : items)
        item->setFirstColumnSpanned(true);
    // Every file opened in one pass: opening them one by one lays the whole list out again for
    // each, seconds for a site of a thousand pages.
    m_list->expandToDepth(0);
    if (!items.isEmpty())
        m_list->setCurrentItem(items.first());
    setStatus(outcomeText(pages, files));
}

void SiteCheckPanel::setStatus(const QString &text)
{
    m_status->setText(text);
}

void SiteCheckPanel::setRunning(bool running)
{
    m_stop->setEnabled(running);
    m_check->setEnabled(!running);
}

void SiteCheckPanel::focusList()
{
    m_list->setFocus();
}

void SiteCheckPanel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        emit leaveRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SiteCheckPanel::choose(const QTreeWidgetItem *item)
{
    // A file's own item opens and closes its rows as any tree item does.
    const QTreeWidgetItem *file = item;
    while (file->parent())
        file = file->parent();
    const QString path = file->data(0, kPathRole).toString();
    const auto [line, column] = PageCheckPanel::placeOf(*item);
    if (file != item && !path.isEmpty() && line > 0)
        emit placeChosen(path, line, column);
}
