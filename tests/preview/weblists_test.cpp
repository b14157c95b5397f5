#include "common/textcodec.h"
#include "common/usererror.h"
#include "preview/webliststore.h"
#include "preview/weblisttree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Mode = WebListTree::Mode;

QString line(const QString &group, const QString &title, const QString &address)
{
    return WebListStore::line(group, title, address);
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList titlesOf(const WebListTree::Category &category)
{
    QStringList titles;
    for (const WebListTree::Entry &entry : category.entries)
        titles.append(entry.title);
    return titles;
}

} // namespace

TEST(WebListStore, ALineIsThreeQuotedFieldsWithNoLineBreakInside)
{
    EXPECT_EQ(line(QStringLiteral("2026/01/05"), QStringLiteral("題"), QStringLiteral("http://a/")),
              QStringLiteral("\"2026/01/05\",\"題\",\"http://a/\""));
    // A break or a zero would cut the file when it is read back.
    EXPECT_EQ(
        line(QStringLiteral("a\r\nb"), QStringLiteral("c") + QChar(0) + QStringLiteral("d"), QStringLiteral("e\rf")),
        QStringLiteral("\"a  b\",\"c d\",\"e f\""));
}

TEST(WebListStore, WritesShiftJisWithCrLfAfterEveryLineAndReadsItBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("WEBUrl.ini"));
    const QStringList lines = {
        line(QStringLiteral("2026/01/05"), QStringLiteral("日本語の題, \"引用\""), QStringLiteral("http://a/")),
        line(QStringLiteral("2026/01/06"), QString(), QString())};
    WebListStore::write(path, lines);
    const QByteArray expected = TextCodec::encodeListFile(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    EXPECT_EQ(readBytes(path), expected);
    EXPECT_EQ(WebListStore::read(path), lines);
}

TEST(WebListStore, ReadingSplitsAtEveryLineEndAndStopsAtAZeroByte)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("favorite.ini"));
    writeBytes(path, QByteArray("\"a\"\r\n\"b\"\r\"c\"\n\"d\"\r\n"));
    EXPECT_EQ(WebListStore::read(path),
              (QStringList{
                  QStringLiteral("\"a\""), QStringLiteral("\"b\""), QStringLiteral("\"c\""), QStringLiteral("\"d\"")}));
    writeBytes(path, QByteArray("\"a\"\r\n\"b", 7) + QByteArray(1, '\0') + QByteArray("\"\r\n\"c\"\r\n"));
    EXPECT_EQ(WebListStore::read(path), (QStringList{QStringLiteral("\"a\""), QStringLiteral("\"b")}));
}

TEST(WebListStore, AFileThatCannotBeWrittenOrReadIsAUserError)
{
    QTemporaryDir dir;
    EXPECT_THROW(WebListStore::write(dir.filePath(QStringLiteral("missing/WEBUrl.ini")), {QStringLiteral("x")}),
                 UserError);
    EXPECT_THROW(WebListStore::read(dir.filePath(QStringLiteral("WEBUrl.ini"))), UserError);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("favorite.ini")));
    EXPECT_THROW(WebListStore::read(dir.filePath(QStringLiteral("favorite.ini"))), UserError);
}

TEST(WebListStore, HistoryIsSortedByDateWhateverTheRecordingOrder)
{
    const QStringList recorded = {
        line(QStringLiteral("2026/02/01"), QStringLiteral("b"), QStringLiteral("http://b/")),
        line(QStringLiteral("2025/12/31"), QStringLiteral("z"), QStringLiteral("http://z/")),
        line(QStringLiteral("2026/01/15"), QStringLiteral("Zeta"), QStringLiteral("http://c/")),
        line(QStringLiteral("2026/01/15"), QStringLiteral("alpha"), QStringLiteral("http://d/")),
    };
    // Letter case does not decide the order: "alpha" comes before "Zeta".
    EXPECT_EQ(WebListStore::historyForWriting(recorded),
              (QStringList{recorded.at(1), recorded.at(3), recorded.at(2), recorded.at(0)}));
}

TEST(WebListStore, HistoryKeepsTheHundredLinesThatSortLast)
{
    QStringList lines;
    for (int day = 101; day >= 1; --day) {
        const QDate date = QDate(2026, 1, 1).addDays(day);
        lines.append(line(
            date.toString(QStringLiteral("yyyy/MM/dd")), QStringLiteral("t"), QStringLiteral("http://x/%1").arg(day)));
    }
    const QStringList kept = WebListStore::historyForWriting(lines);
    ASSERT_EQ(kept.size(), WebListStore::kHistoryLimit);
    // The oldest visit (day 1, recorded last) is the one dropped.
    EXPECT_FALSE(kept.contains(lines.last()));
    EXPECT_EQ(kept.first(), lines.at(99));
    EXPECT_EQ(kept.last(), lines.first());
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));

    lines.removeLast();
    EXPECT_EQ(WebListStore::historyForWriting(lines).size(), 100);
}

TEST(WebListTree, AdjacentLinesOfOneGroupShareOneNode)
{
    const QStringList lines = {
        line(QStringLiteral("2026/01/05"), QStringLiteral("A"), QStringLiteral("http://a/")),
        line(QStringLiteral("2026/01/05"), QStringLiteral("B"), QStringLiteral("http://b/")),
        line(QStringLiteral("2026/01/06"), QStringLiteral("C"), QStringLiteral("http://c/")),
        line(QStringLiteral("2026/01/05"), QStringLiteral("D"), QStringLiteral("http://d/")),
    };
    const WebListTree tree = WebListTree::fromLines(lines);
    ASSERT_EQ(tree.categories.size(), 3);
    EXPECT_EQ(tree.categories.at(0).text, QStringLiteral("2026/01/05"));
    EXPECT_EQ(titlesOf(tree.categories.at(0)), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_EQ(tree.categories.at(0).entries.at(1).address, QStringLiteral("http://b/"));
    EXPECT_EQ(tree.categories.at(1).text, QStringLiteral("2026/01/06"));
    // Not adjacent: a second node of the same name.
    EXPECT_EQ(tree.categories.at(2).text, QStringLiteral("2026/01/05"));
    EXPECT_EQ(titlesOf(tree.categories.at(2)), QStringList{QStringLiteral("D")});
}

TEST(WebListTree, ShortLinesShowWithEmptyFieldsAndAreWrittenAsTheyStand)
{
    const QStringList lines = {
        QStringLiteral("\"\",\"no category\",\"http://a/\""),
        QStringLiteral("\"News\",\"no address\""),
        QString(),
        QStringLiteral("\"News\",\"x\",\"http://x/\",\"extra\""),
    };
    const WebListTree tree = WebListTree::fromLines(lines);
    ASSERT_EQ(tree.categories.size(), 4);
    // A first line with an empty category still has a node to stand under.
    EXPECT_EQ(tree.categories.at(0).text, QString());
    EXPECT_EQ(titlesOf(tree.categories.at(0)), QStringList{QStringLiteral("no category")});
    EXPECT_EQ(tree.categories.at(1).entries.at(0).address, QString());
    EXPECT_EQ(tree.categories.at(2).text, QString());
    EXPECT_EQ(tree.categories.at(2).entries.size(), 1);
    EXPECT_EQ(tree.categories.at(3).entries.at(0).address, QStringLiteral("http://x/"));

    EXPECT_EQ(tree.toLines(Mode::Favorites),
              (QStringList{QStringLiteral("\"\",\"no category\",\"http://a/\""),
                           QStringLiteral("\"News\",\"x\",\"http://x/\"")}));
    EXPECT_EQ(tree.toLines(Mode::History).size(), 4);
    EXPECT_TRUE(tree.toLines(Mode::History).contains(QStringLiteral("\"News\",\"no address\",\"\"")));
    EXPECT_TRUE(tree.toLines(Mode::History).contains(QStringLiteral("\"\",\"\",\"\"")));
}

TEST(WebListTree, CategoryNamesAreComparedWithLetterCaseAside)
{
    WebListTree tree;
    tree.categories = {{QStringLiteral("News"), {}}, {QStringLiteral("ｎｅｗｓ"), {}}};
    EXPECT_TRUE(tree.hasCategory(QStringLiteral("NEWS")));
    EXPECT_TRUE(tree.hasCategory(QStringLiteral("news")));
    EXPECT_TRUE(tree.hasCategory(QStringLiteral("ＮＥＷＳ")));
    EXPECT_FALSE(tree.hasCategory(QStringLiteral("New")));
    EXPECT_FALSE(tree.hasCategory(QString()));
}
