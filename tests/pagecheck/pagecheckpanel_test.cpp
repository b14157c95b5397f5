// The panel's rows: a fault's further places under its row, and each row read once.
#include "pagecheck/pagecheckpanel.h"

#include <QSignalSpy>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

using Level = CheckRow::Level;

// What a screen reader says of an item, cell after cell.
QString spoken(const QTreeWidgetItem &item)
{
    QStringList cells;
    for (int column = 0; column < item.columnCount(); ++column)
        cells.append(item.data(column, Qt::AccessibleTextRole).toString());
    return cells.join(QLatin1Char(' '));
}

CheckRow rowOf(Level level, int line, int column, const QString &sentence)
{
    CheckRow row;
    row.level = level;
    row.line = line;
    row.column = column;
    row.key = QStringLiteral("SOME_KEY");
    row.sentence = sentence;
    return row;
}

TEST(PageCheckPanelRowsTest, KeepsWhereAFaultGoesOnUnderItsRowAndReadsEachRowOnce)
{
    const QString unclosed = QStringLiteral("6 行目の <b> が閉じられていません。閉じる位置に </b> を書いてください。");
    const QString goesOn = QStringLiteral("6 行目の <b> が、ここでも続いているものとして扱われます。");
    CheckRow first = rowOf(Level::Error, 6, 9, unclosed);
    first.tidyMessage = QStringLiteral("missing </b>");
    first.continuations = {rowOf(Level::Error, 8, 5, goesOn), rowOf(Level::Error, 9, 5, goesOn)};
    const CheckRow second = rowOf(Level::Hint, 12, 1, QStringLiteral("中身のない <p> があります。"));

    PageCheckPanel panel;
    panel.showRows({first, second});
    QTreeWidget &list = panel.list();
    ASSERT_EQ(list.topLevelItemCount(), 2);
    EXPECT_TRUE(list.rootIsDecorated());
    const QTreeWidgetItem *top = list.topLevelItem(0);
    ASSERT_EQ(top->childCount(), 2);
    EXPECT_EQ(list.topLevelItem(1)->childCount(), 0);
    EXPECT_EQ(top->child(1)->text(1), QStringLiteral("9"));

    const QList<const QTreeWidgetItem *> items = {top, top->child(0), list.topLevelItem(1)};
    for (const QTreeWidgetItem *item : items) {
        const QString sentence = item->text(3);
        EXPECT_EQ(spoken(*item).count(sentence), 1) << spoken(*item).toStdString();
        EXPECT_TRUE(
            spoken(*item).startsWith(item->text(0) + QStringLiteral(" ") + item->text(1) + QStringLiteral(" 行目 ")))
            << spoken(*item).toStdString();
    }
    EXPECT_TRUE(top->toolTip(3).contains(QStringLiteral("missing </b>")));

    // A place under the row leads the caret there too.
    QSignalSpy chosen(&panel, &PageCheckPanel::placeChosen);
    emit list.itemActivated(top->child(0), 0);
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen.first(), (QVariantList{8, 5}));
}

} // namespace
