#include "pagecheck/pagecheckpanel.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column {
    LevelColumn,
    LineColumn,
    CharacterColumn,
    SentenceColumn,
};

constexpr int kLineRole = Qt::UserRole;
constexpr int kColumnRole = Qt::UserRole + 1;

} // namespace

PageCheckPanel::PageCheckPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PageCheckPanel"));
    setAccessibleName(QStringLiteral("ページチェック"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("PageCheckList"));
    m_list->setAccessibleName(QStringLiteral("ページチェックの結果"));
    m_list->setAccessibleDescription(QStringLiteral("行を選んで Enter キーを押すと、その場所へ移ります"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels(
        {QStringLiteral("種類"), QStringLiteral("行"), QStringLiteral("文字"), QStringLiteral("内容")});
    m_list->header()->setStretchLastSection(true);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) { activate(item); });
}

QString PageCheckPanel::nothingToReport()
{
    return QStringLiteral("問題は見つかりませんでした。");
}

void PageCheckPanel::showRows(const CheckRows &rows)
{
    m_list->clear();
    QList<QTreeWidgetItem *> items;
    for (const CheckRow &row : rows) {
        const QString level = CheckRow::levelName(row.level);
        auto *item = new QTreeWidgetItem({level, QString::number(row.line), QString::number(row.column), row.sentence});
        item->setData(0, kLineRole, row.line);
        item->setData(0, kColumnRole, row.column);
        // A screen reader reads the row as one sentence rather than four bare cells.
        const QString spoken =
            QStringLiteral("%1、%2 行 %3 文字目: %4").arg(level).arg(row.line).arg(row.column).arg(row.sentence);
        for (int column = LevelColumn; column <= SentenceColumn; ++column)
            item->setData(column, Qt::AccessibleTextRole, spoken);
        item->setToolTip(SentenceColumn, row.sentence);
        items.append(item);
    }
    if (items.isEmpty()) {
        auto *item = new QTreeWidgetItem({QString(), QString(), QString(), nothingToReport()});
        item->setData(0, Qt::AccessibleTextRole, nothingToReport());
        items.append(item);
    }
    m_list->addTopLevelItems(items);
    m_list->setCurrentItem(items.first());
}

void PageCheckPanel::activate(const QTreeWidgetItem *item)
{
    const int line = item->data(0, kLineRole).toInt();
    if (line > 0)
        emit placeChosen(line, item->data(0, kColumnRole).toInt());
}
