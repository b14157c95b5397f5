#include "preview/documentcompletion.h"

#include "preview/previewsession.h"
#include "preview/weblists.h"

#include <gtest/gtest.h>

namespace {

const QDate kToday(2026, 1, 5);
const QString kTodayText = QStringLiteral("2026/01/05");

class DocumentCompletionTest : public ::testing::Test
{
protected:
    DocumentCompletion::Outcome
    complete(const QString &address, const QString &title = QStringLiteral("題"), const QDate &day = kToday)
    {
        return DocumentCompletion::handle(session.lastUrl, lists.webHistory, address, title, day, urlItems);
    }

    PreviewSession session;
    WebLists lists;
    QStringList urlItems;
};

} // namespace

TEST_F(DocumentCompletionTest, AWebPageIsRecordedWithDateTitleAndAddress)
{
    const auto outcome = complete(QStringLiteral("http://example.com/a"), QStringLiteral("例, の \"頁\""));
    EXPECT_TRUE(outcome.webPage);
    EXPECT_TRUE(outcome.recorded);
    EXPECT_TRUE(outcome.insertIntoUrlList);
    EXPECT_EQ(outcome.address, QStringLiteral("http://example.com/a"));
    EXPECT_EQ(session.lastUrl, QStringLiteral("http://example.com/a"));
    // The three fields between quotes, joined by commas; a quote in the title is doubled so
    // that the line reads back as it was meant.
    EXPECT_EQ(lists.webHistory,
              QStringList{QStringLiteral("\"2026/01/05\",\"例, の \"\"頁\"\"\",\"http://example.com/a\"")});
}

TEST_F(DocumentCompletionTest, AVisitIsRecordedOncePerAddressAndDay)
{
    complete(QStringLiteral("http://example.com/"));
    complete(QStringLiteral("http://example.org/"));
    const auto again = complete(QStringLiteral("http://example.com/"));
    // Handled again (it came after another address) but not recorded a second time today.
    EXPECT_TRUE(again.webPage);
    EXPECT_FALSE(again.recorded);
    EXPECT_EQ(lists.webHistory.size(), 2);

    complete(QStringLiteral("http://example.org/"), QStringLiteral("題"), kToday.addDays(1));
    const auto nextDay = complete(QStringLiteral("http://example.com/"), QStringLiteral("題"), kToday.addDays(1));
    EXPECT_TRUE(nextDay.recorded);
    EXPECT_EQ(lists.webHistory.size(), 4);
    EXPECT_TRUE(lists.webHistory.last().startsWith(QStringLiteral("\"2026/01/06\"")));
}

TEST_F(DocumentCompletionTest, AnAddressInsideOneRecordedTodayIsNotRecorded)
{
    complete(QStringLiteral("http://example.com/page.html"));
    const auto shorter = complete(QStringLiteral("http://example.com/"));
    EXPECT_TRUE(shorter.webPage);
    EXPECT_FALSE(shorter.recorded);
    // The longer address is not part of the shorter one's line, so it counts.
    const auto longer = complete(QStringLiteral("http://example.com/page.html?x=1"));
    EXPECT_TRUE(longer.recorded);
    EXPECT_EQ(lists.webHistory.size(), 2);

    // Any line holding both anywhere counts, whatever field they are in.
    const QStringList odd = {QStringLiteral("\"x\",\"2026/01/05 memo\",\"see http://example.net/ later\"")};
    EXPECT_TRUE(DocumentCompletion::isRecorded(odd, kTodayText, QStringLiteral("http://example.net/")));
    EXPECT_FALSE(
        DocumentCompletion::isRecorded(odd, QStringLiteral("2026/01/04"), QStringLiteral("http://example.net/")));

    // An address with a double quote is found in its line although the line holds it doubled.
    const QString quoted = QStringLiteral("http://example.com/\"q\"");
    EXPECT_TRUE(complete(quoted).recorded);
    complete(QStringLiteral("http://example.org/"));
    EXPECT_FALSE(complete(quoted).recorded);
}

TEST_F(DocumentCompletionTest, LocalAndResourcePagesAreNeverRecordedOrOffered)
{
    const QString addresses[] = {
        QStringLiteral("file:///home/u/site/13_05_22.htm"),
        QStringLiteral("FILE:///home/u/site/index.html"),
        QStringLiteral("res://ieframe.dll/dnserror.htm"),
        QStringLiteral("Res://x"),
    };
    for (const QString &address : addresses) {
        const auto outcome = complete(address);
        EXPECT_FALSE(outcome.webPage) << address.toStdString();
        EXPECT_FALSE(outcome.insertIntoUrlList) << address.toStdString();
        EXPECT_EQ(session.lastUrl, address);
    }
    EXPECT_TRUE(lists.webHistory.isEmpty());
}

TEST_F(DocumentCompletionTest, AnEmptyAddressIsRememberedButNothingElse)
{
    complete(QStringLiteral("http://example.com/"));
    const auto outcome = complete(QString());
    EXPECT_FALSE(outcome.webPage);
    EXPECT_TRUE(session.lastUrl.isEmpty());
    EXPECT_EQ(lists.webHistory.size(), 1);
}

TEST_F(DocumentCompletionTest, TheAddressListIsSearchedIgnoringCaseButLastUrlIsExact)
{
    urlItems = {QStringLiteral("http://www.example.com/"), QStringLiteral("HTTP://EXAMPLE.ORG/")};
    const auto known = complete(QStringLiteral("http://example.org/"));
    EXPECT_TRUE(known.webPage);
    EXPECT_FALSE(known.insertIntoUrlList);
    EXPECT_EQ(known.address, QStringLiteral("http://example.org/"));

    // A different letter case is a different address for the repeat check.
    const auto otherCase = complete(QStringLiteral("http://EXAMPLE.org/"));
    EXPECT_TRUE(otherCase.webPage);
    EXPECT_FALSE(otherCase.insertIntoUrlList);
}
