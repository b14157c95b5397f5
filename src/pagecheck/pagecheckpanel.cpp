#include "pagecheck/pagecheckpanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column {
    LevelColumn,
    LineColumn,
    CharacterColumn,
    SentenceColumn,
    FixColumn,
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
    m_list->setHeaderLabels(rowHeadings() << QStringLiteral("修正"));
    m_list->header()->setStretchLastSection(true);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // The button of a row that can be mended stands before its sentence, where it is seen
    // whatever the sentence's length; a screen reader still reads the sentence first.
    m_list->header()->moveSection(FixColumn, SentenceColumn);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) { activate(item); });
}

QString PageCheckPanel::nothingToReport()
{
    return QStringLiteral("問題は見つかりませんでした。");
}

QStringList PageCheckPanel::rowHeadings()
{
    return {QStringLiteral("種類"), QStringLiteral("行"), QStringLiteral("文字"), QStringLiteral("内容")};
}

std::pair<int, int> PageCheckPanel::placeOf(const QTreeWidgetItem &item)
{
    return {item.data(0, kLineRole).toInt(), item.data(0, kColumnRole).toInt()};
}

// One row's item. Each cell says what it holds, its unit too, so that a screen reader reading the
// row cell by cell says the sentence once: "エラー", "6 行目", "9 文字目", the sentence.
QTreeWidgetItem *PageCheckPanel::rowItem(const CheckRow &row)
{
    const QString level = CheckRow::levelName(row.level);
    auto *item = new QTreeWidgetItem({level, QString::number(row.line), QString::number(row.column), row.sentence});
    item->setData(0, kLineRole, row.line);
    item->setData(0, kColumnRole, row.column);
    item->setData(LevelColumn, Qt::AccessibleTextRole, level);
    item->setData(LineColumn, Qt::AccessibleTextRole, QStringLiteral("%1 行目").arg(row.line));
    item->setData(CharacterColumn, Qt::AccessibleTextRole, QStringLiteral("%1 文字目").arg(row.column));
    item->setData(SentenceColumn, Qt::AccessibleTextRole, row.sentence);
    // tidy's own words, for whoever wants to look them up.
    item->setToolTip(SentenceColumn,
                     row.tidyMessage.isEmpty() ? row.sentence
                                               : QStringLiteral("%1\ntidy: %2").arg(row.sentence, row.tidyMessage));
    for (const CheckRow &further : row.continuations)
        item->addChild(rowItem(further));
    return item;
}

void PageCheckPanel::showRows(const CheckRows &rows)
{
    m_list->clear();
    QList<QTreeWidgetItem *> items;
    bool folded = false;
    for (const CheckRow &row : rows) {
        items.append(rowItem(row));
        folded = folded || !row.continuations.isEmpty();
    }
    // The places a fault goes on at stay under its row, closed until asked for.
    m_list->setRootIsDecorated(folded);
    if (items.isEmpty()) {
        auto *item = new QTreeWidgetItem({QString(), QString(), QString(), nothingToReport()});
        item->setData(SentenceColumn, Qt::AccessibleTextRole, nothingToReport());
        items.append(item);
    }
    m_list->addTopLevelItems(items);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows.at(i).fix)
            m_list->setItemWidget(items.at(i), FixColumn, fixButton(rows.at(i)));
    }
    m_list->setCurrentItem(items.first());
}

QString PageCheckPanel::fixCaption(const CheckRow::Fix &fix)
{
    return QStringLiteral("%1 を入れる").arg(fix.text.trimmed());
}

// The button that mends a row's fault, at the start of its cell.
QWidget *PageCheckPanel::fixButton(const CheckRow &row)
{
    auto *cell = new QWidget;
    auto *button = new QPushButton(fixCaption(*row.fix), cell);
    button->setObjectName(QStringLiteral("PageCheckFix"));
    button->setAccessibleName(button->text());
    button->setAccessibleDescription(QStringLiteral("元に戻すで取り消せます"));
    auto *layout = new QHBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(button);
    layout->addStretch();
    connect(button, &QPushButton::clicked, this, [this, key = row.key, fix = *row.fix] { emit fixChosen(key, fix); });
    return cell;
}

void PageCheckPanel::activate(const QTreeWidgetItem *item)
{
    const auto [line, column] = placeOf(*item);
    if (line > 0)
        emit placeChosen(line, column);
}
