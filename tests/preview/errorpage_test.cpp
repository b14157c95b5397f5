#include "preview/errorpage.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using Cause = ErrorPage::Cause;

namespace {

// The page's visible text: markup removed, entities read back.
QString textOf(const QString &html)
{
    QString text = html;
    text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}

QString titleOf(const QString &html)
{
    const auto match = QRegularExpression(QStringLiteral("<title>(.*)</title>")).match(html);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace

TEST(ErrorPage, NetErrorsMapToTheirCauses)
{
    const struct
    {
        int netError;
        Cause cause;
    } cases[] = {
        {-6, Cause::FileNotFound},
        {-102, Cause::ConnectionRefused},
        {-105, Cause::HostNotFound},
        {-137, Cause::HostNotFound},
        {-7, Cause::NoAnswer},
        {-118, Cause::NoAnswer},
        {-312, Cause::Other},
        {-20, Cause::Other},
        {0, Cause::Other},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ErrorPage::causeOfNetError(c.netError), c.cause) << c.netError;
}

TEST(ErrorPage, EveryCauseNamesTheAddressInJapaneseWithItsOwnTitle)
{
    const QString address = QStringLiteral("http://127.0.0.1:8080/a?b=1&c=2");
    const Cause causes[] = {Cause::Offline,
                            Cause::FileNotFound,
                            Cause::ConnectionRefused,
                            Cause::HostNotFound,
                            Cause::NoAnswer,
                            Cause::HttpStatus,
                            Cause::Other};
    QStringList titles;
    for (Cause cause : causes) {
        const QString html = ErrorPage::html(cause, address);
        SCOPED_TRACE(html.toStdString());
        EXPECT_TRUE(textOf(html).contains(address));
        EXPECT_TRUE(html.contains(QStringLiteral("lang=\"ja\"")));
        EXPECT_FALSE(titleOf(html).isEmpty());
        titles.append(titleOf(html));
    }
    EXPECT_EQ(titles.at(0), QStringLiteral("オフラインです"));
    EXPECT_EQ(titles.at(1), QStringLiteral("ファイルが見つかりません"));
    // Offline, the page says how to go online.
    EXPECT_TRUE(textOf(ErrorPage::html(Cause::Offline, address)).contains(QStringLiteral("ｵﾝﾗｲﾝ")));
    EXPECT_FALSE(textOf(ErrorPage::html(Cause::ConnectionRefused, address)).contains(QStringLiteral("ｵﾝﾗｲﾝ")));
}

TEST(ErrorPage, TheAddressIsTextNeverMarkup)
{
    const QString address =
        QStringLiteral("file:///tmp/<script>alert(1)</script>/\"x\"&amp;<img src=x onerror=alert(2)>.htm");
    const QString html = ErrorPage::html(Cause::FileNotFound, address);
    EXPECT_FALSE(html.contains(QStringLiteral("<script")));
    EXPECT_FALSE(html.contains(QStringLiteral("<img")));
    EXPECT_TRUE(textOf(html).contains(address));
    // Placeholders in the address are not filled in a second time.
    const QString placeholders = QStringLiteral("http://x/%1%2%3%4");
    EXPECT_TRUE(textOf(ErrorPage::html(Cause::Other, placeholders)).contains(placeholders));
}

TEST(ErrorPage, CodesAreShownWhereTheyTellSomething)
{
    EXPECT_TRUE(
        textOf(ErrorPage::html(Cause::HttpStatus, QStringLiteral("http://a/"), 503)).contains(QStringLiteral("503")));
    EXPECT_TRUE(
        textOf(ErrorPage::html(Cause::Other, QStringLiteral("http://a/"), -312)).contains(QStringLiteral("-312")));
    EXPECT_FALSE(
        textOf(ErrorPage::html(Cause::Other, QStringLiteral("http://a/"))).contains(QStringLiteral("エラー番号")));
}

TEST(ErrorPage, AnOverlongAddressIsCutShort)
{
    const QString address = QStringLiteral("http://a/") + QString(100000, QLatin1Char('x'));
    const QString html = ErrorPage::html(Cause::Other, address);
    EXPECT_LT(html.size(), 5000);
    EXPECT_TRUE(html.contains(QChar(0x2026)));
}
