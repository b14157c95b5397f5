#include "transfer/listsort.h"

#include "common/usererror.h"
#include "transfer/remotenames.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

TEST(ListSortState, ASecondClickOnTheSameColumnFlipsTheDirection)
{
    ListSort sort;
    const std::vector<std::pair<int, int>> clicks = {{2, 3}, {2, -3}, {2, 3}, {0, 1}, {1, 2}, {0, 1}, {0, -1}};
    for (const auto &[column, key] : clicks) {
        sort.click(column);
        EXPECT_EQ(sort.key(), key) << column;
        EXPECT_EQ(sort.column(), column);
    }
}

TEST(ListSortState, OtherColumnsFoldOnlyAToZ)
{
    EXPECT_EQ(ListSort::compareFolded(QStringLiteral("abc"), QStringLiteral("ABC")), 0);
    EXPECT_LT(ListSort::compareFolded(QStringLiteral("Jan 05"), QStringLiteral("jan 06")), 0);
    EXPECT_LT(ListSort::compareFolded(QStringLiteral("ab"), QStringLiteral("abc")), 0);
    // Only a to z fold: "é" and "É" stay apart.
    EXPECT_NE(ListSort::compareFolded(QStringLiteral("é"), QStringLiteral("É")), 0);
    // Right-aligned size texts sort as numbers.
    EXPECT_LT(ListSort::compareFolded(QStringLiteral("       999"), QStringLiteral("     1,000")), 0);

    ListSort sort;
    sort.click(2);
    EXPECT_LT(sort.compare(QStringLiteral("         9"), QStringLiteral("        10")), 0);
    sort.click(2);
    EXPECT_GT(sort.compare(QStringLiteral("         9"), QStringLiteral("        10")), 0);
}

TEST(ListSortState, NamesFollowTheLocale)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ListSort sort;
    sort.click(0);
    // Plain byte order would put every capital before every small letter.
    EXPECT_LT(sort.compare(QStringLiteral("apple"), QStringLiteral("Banana")), 0);
    EXPECT_NE(sort.compare(QStringLiteral("a"), QStringLiteral("A")), 0);
    QLocale::setDefault(QLocale::system());
}

TEST(RemoteNameText, TypedNamesFollowTheFolderEncoding)
{
    const QByteArray cp932Name("\x93\xfa\x96\x7b.txt");
    const QByteArray utf8Name("\xe6\x97\xa5\xe6\x9c\xac.txt");
    EXPECT_EQ(RemoteNames::decode(cp932Name), QStringLiteral("日本.txt"));
    EXPECT_EQ(RemoteNames::decode(utf8Name), QStringLiteral("日本.txt"));
    EXPECT_EQ(RemoteNames::decode(QByteArray("\xff\xfe")), QStringLiteral("\uFFFD\uFFFD"));

    const QString typed = QStringLiteral("日本.txt");
    EXPECT_EQ(RemoteNames::encodeLike(typed, {QByteArray("a.txt"), cp932Name}), cp932Name);
    EXPECT_EQ(RemoteNames::encodeLike(typed, {QByteArray("a.txt"), utf8Name}), utf8Name);
    EXPECT_EQ(RemoteNames::encodeLike(typed, {}), utf8Name);
    EXPECT_THROW(RemoteNames::encodeLike(QStringLiteral("😀.txt"), {cp932Name}), UserError);
}

} // namespace
