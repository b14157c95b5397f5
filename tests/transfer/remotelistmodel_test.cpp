#include "transfer/remotelistmodel.h"

#include "transfer/listsort.h"
#include "transfer/remotelistingparser.h"

#include <QAbstractItemModelTester>
#include <QLocale>
#include <QPersistentModelIndex>

#include <gtest/gtest.h>

#include <string>
#include <vector>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

// The day the listings below were read: a listing without years means this year or the last.
const QDate kToday(2026, 12, 8);

RemoteItems itemsOf(const std::vector<std::string> &lines)
{
    return RemoteListingParser::parse(lines, kToday);
}

QStringList column(const RemoteListModel &model, int column)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.append(model.index(row, column).data().toString());
    return texts;
}

TEST(RemoteDate, AYearLeftOutIsThisYearOrTheLastAndDatesShowInTheLocalListsForm)
{
    struct Case
    {
        const char *line;
        QDate day;
        QTime time;
        QString text;
    };
    const std::vector<Case> cases = {
        {"-rw-r--r-- 1 u g 1 Jan  5 12:34 a", {2026, 1, 5}, {12, 34}, QStringLiteral("2026/01/05 12:34")},
        {"-rw-r--r-- 1 u g 1 Dec  9 00:05 a", {2026, 12, 9}, {0, 5}, QStringLiteral("2026/12/09 00:05")},
        {"-rw-r--r-- 1 u g 1 Dec 10 08:00 a", {2025, 12, 10}, {8, 0}, QStringLiteral("2025/12/10 08:00")},
        {"-rw-r--r-- 1 u g 1 Feb 29 10:00 a", {2024, 2, 29}, {10, 0}, QStringLiteral("2024/02/29 10:00")},
        {"-rw-r--r-- 1 u g 1 Mar 14  2003 a", {2003, 3, 14}, {}, QStringLiteral("2003/03/14")},
        {"-rw-r--r-- 1 u g 1 Feb 30  2003 a", {}, {}, QString()},
        {"01-05-26  12:34PM        1 a", {2026, 1, 5}, {12, 34}, QStringLiteral("2026/01/05 12:34")},
        {"12-31-99  12:01AM        1 a", {1999, 12, 31}, {0, 1}, QStringLiteral("1999/12/31 00:01")},
        {"01-05-2026  09:00PM      1 a", {2026, 1, 5}, {21, 0}, QStringLiteral("2026/01/05 21:00")},
    };
    for (const Case &c : cases) {
        const auto item = RemoteListingParser::parseLine(QByteArray(c.line), kToday);
        ASSERT_TRUE(item.has_value()) << c.line;
        EXPECT_EQ(item->date.day, c.day) << c.line;
        EXPECT_EQ(item->date.time, c.time) << c.line;
        EXPECT_EQ(item->date.text(), c.text) << c.line;
    }
}

TEST(RemoteListModel, RowsShowTheListingsValuesAsTexts)
{
    RemoteListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setIcons(QStringLiteral("folder"), QStringLiteral("file"));
    model.replaceItems(itemsOf({
        "total 8",
        "drwxr-xr-x 2 u g 4096 Mar 14  2023 old",
        "lrwxrwxrwx 1 u g   10 Jan  5 12:34 latest -> index.html",
        "-rw-r--r-- 1 u g 5368709120 Nov 30 23:59 big.iso",
    }));
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(column(model, RemoteListModel::NameColumn), (QStringList{"old", "latest", "big.iso"}));
    EXPECT_EQ(column(model, RemoteListModel::DateColumn),
              (QStringList{"2023/03/14", "2026/01/05 12:34", "2026/11/30 23:59"}));
    EXPECT_EQ(column(model, RemoteListModel::SizeColumn), (QStringList{"     4,096", "        10", "5,368,709,120"}));
    EXPECT_EQ(column(model, RemoteListModel::AttributeColumn), (QStringList{"drwxr-xr-x", "lrwxrwxrwx", "-rw-r--r--"}));
    EXPECT_EQ(model.index(0, 0).data(Qt::DecorationRole).toString(), QStringLiteral("folder"));
    EXPECT_EQ(model.index(1, 0).data(Qt::DecorationRole).toString(), QStringLiteral("file"));
    EXPECT_TRUE(model.index(1, 0).data(Qt::ToolTipRole).toString().contains(QStringLiteral("index.html")));
    EXPECT_EQ(model.item(2).size, 5368709120LL);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("更新日時"));
    // Only the name is edited in place.
    EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);

    model.rename(1, "newest", QStringLiteral("newest"));
    EXPECT_EQ(model.rowOfName("newest"), 1);
    EXPECT_EQ(model.rowOfName("latest"), -1);
    EXPECT_EQ(model.index(1, 0).data().toString(), QStringLiteral("newest"));
}

TEST(RemoteListModel, SortsSizesAndDatesByTheirValuesBothWays)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    RemoteListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    // Their texts sort otherwise: "1,000,000,000" before "999,999,999", "Dec" before "Nov".
    model.replaceItems(itemsOf({
        "-rw-r--r-- 1 u g 1000000000 Jan  5 10:00 b.html",
        "-rw-r--r-- 1 u g  999999999 Nov 30  2025 A.html",
        "-rw-r--r-- 1 u g          9 Dec 31 23:59 c.html",
        "-rw-r--r-- 1 u g         10 Nov 30 12:00 a.html",
    }));
    const QPersistentModelIndex chosen = model.index(2, 0); // c.html, as a selection holds it

    struct Click
    {
        int column;
        QStringList names;
    };
    const std::vector<Click> clicks = {
        {RemoteListModel::SizeColumn, {"c.html", "a.html", "A.html", "b.html"}},
        {RemoteListModel::SizeColumn, {"b.html", "A.html", "a.html", "c.html"}},
        {RemoteListModel::DateColumn, {"A.html", "c.html", "b.html", "a.html"}},
        {RemoteListModel::DateColumn, {"a.html", "b.html", "c.html", "A.html"}},
        // Names in the locale's order: a small letter right before its capital.
        {RemoteListModel::NameColumn, {"a.html", "A.html", "b.html", "c.html"}},
    };
    ListSort sort;
    for (const Click &click : clicks) {
        sort.click(click.column);
        model.sortBy(sort);
        EXPECT_EQ(column(model, RemoteListModel::NameColumn), click.names) << click.column << " " << sort.key();
        EXPECT_EQ(chosen.data().toString(), QStringLiteral("c.html"));
    }
    QLocale::setDefault(QLocale::system());
}

} // namespace
