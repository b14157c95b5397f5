// サイトチェック's external link check against a web server the test starts on loopback: each
// kind of answer as its row (or none), HEAD refused and redirects followed, and the loopback
// allowance both ways: refused while the site is elsewhere, allowed when the site's own address
// is there.
#include "pagecheck/externallinks.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

class ExternalLinksTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        server.setProgram(QStringLiteral("python3"));
        server.setArguments({QStringLiteral(QZ_LINK_SERVER)});
        server.start();
        ASSERT_TRUE(server.waitForReadyRead(10000)) << "the loopback web server did not start";
        port = server.readLine().trimmed().toInt();
        ASSERT_GT(port, 0);
    }
    void TearDown() override
    {
        server.kill();
        server.waitForFinished();
    }

    QString url(const char *path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(QLatin1String(path));
    }

    // The requests the server took since the last call.
    QStringList requests()
    {
        // Until the server has been quiet a moment: its lines come as it writes them.
        QByteArray out = server.readAll();
        while (server.waitForReadyRead(200))
            out += server.readAll();
        QStringList lines;
        for (const QByteArray &line : out.split('\n')) {
            if (!line.trimmed().isEmpty())
                lines.append(QString::fromLatin1(line.trimmed()));
        }
        return lines;
    }

    static ExternalLinks::Limits quick()
    {
        ExternalLinks::Limits limits;
        limits.probe.hopMs = 1000;
        return limits;
    }

    QProcess server;
    int port = 0;
};

// The row each file gets, as "file:line:column level key reason-part".
QStringList rowsOf(const ExternalLinks::Outcome &outcome)
{
    QStringList rows;
    QList<QByteArray> files = outcome.rows.keys();
    std::sort(files.begin(), files.end());
    for (const QByteArray &file : files) {
        for (const CheckRow &row : outcome.rows.value(file))
            rows.append(QStringLiteral("%1:%2:%3 %4 %5")
                            .arg(QString::fromUtf8(file))
                            .arg(row.line)
                            .arg(row.column)
                            .arg(CheckRow::levelName(row.level), row.key));
    }
    return rows;
}

TEST_F(ExternalLinksTest, EachAnswerIsItsRowAndEachAddressIsAskedOnce)
{
    struct Case
    {
        const char *path;
        const char *row;     // the row at its place; empty: fine
        const char *because; // in the row's sentence
    };
    const QList<Case> cases = {
        {"/ok", "", ""},
        {"/moved", "", ""},  // to /ok
        {"/nohead", "", ""}, // HEAD refused with 405, GET answers
        {"/missing", "エラー QZ_EXTERNAL_MISSING", "404"},
        {"/gone", "エラー QZ_EXTERNAL_MISSING", "410"},
        {"/broken", "注意 QZ_EXTERNAL_FAILED", "500"},
        {"/loop", "注意 QZ_EXTERNAL_FAILED", "転送が 5 回を超えました"},
        {"/away", "注意 QZ_EXTERNAL_REFUSED", "10.1.2.3"}, // each hop judged alike
        {"/slow", "ヒント QZ_EXTERNAL_TIMEOUT", "返事がありませんでした"},
    };
    SiteCheck::Memory memory;
    int line = 1;
    QStringList expected;
    for (const Case &c : cases) {
        // Twice in a page, once with a fragment: one address, asked once, a row at each place.
        SiteCheck::Remembered page;
        page.facts.references = {{url(c.path), {line, 3}}, {url(c.path) + QStringLiteral("#part"), {line + 1, 5}}};
        memory.insert(QByteArray("p") + QByteArray::number(line) + ".html", page);
        if (*c.row) {
            expected.append(QStringLiteral("p%1.html:%1:3 %2").arg(line).arg(QString::fromUtf8(c.row)));
            expected.append(QStringLiteral("p%1.html:%2:5 %3").arg(line).arg(line + 1).arg(QString::fromUtf8(c.row)));
        }
        line += 10;
    }
    SiteCheck::Remembered other;
    other.facts.references = {{QStringLiteral("mailto:a@example.com"), {}}, {QStringLiteral("img/a.png"), {}}};
    memory.insert("q.html", other);

    const QList<ExternalLinks::Address> addresses = ExternalLinks::of(memory);
    ASSERT_EQ(addresses.size(), cases.size());
    const ExternalLinks::Outcome outcome =
        ExternalLinks::check(addresses, AddressGuard({QHostAddress::LocalHost}), quick());
    QStringList rows = rowsOf(outcome);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(rows.join(u'\n').toStdString(), expected.join(u'\n').toStdString());
    EXPECT_EQ(outcome.asked, int(cases.size()));
    for (const auto &file : outcome.rows) {
        for (const CheckRow &row : file)
            EXPECT_TRUE(std::any_of(cases.cbegin(), cases.cend(), [&](const Case &c) {
                return *c.row && row.sentence.contains(url(c.path))
                    && row.sentence.contains(QString::fromUtf8(c.because));
            })) << row.sentence.toStdString();
    }
    const QStringList asked = requests();
    EXPECT_EQ(asked.count(QStringLiteral("HEAD /ok")), 2) << "once, and once more as /moved's target";
    EXPECT_EQ(asked.count(QStringLiteral("GET /nohead")), 1);
    EXPECT_EQ(asked.count(QStringLiteral("HEAD /missing")), 1);
}

TEST_F(ExternalLinksTest, LoopbackIsAskedOnlyWhenTheSiteIsThere)
{
    const QList<ExternalLinks::Address> addresses = {{url("/missing"), {{"a.html", 2, 4}}},
                                                     {url("/ok"), {{"a.html", 3, 4}}}};
    // The site is published elsewhere (a documentation address): this computer is never asked.
    const ExternalLinks::Outcome elsewhere =
        ExternalLinks::check(addresses, AddressGuard({QHostAddress(QStringLiteral("192.0.2.7"))}), quick());
    EXPECT_EQ(rowsOf(elsewhere),
              QStringList({QStringLiteral("a.html:2:4 注意 QZ_EXTERNAL_REFUSED"),
                           QStringLiteral("a.html:3:4 注意 QZ_EXTERNAL_REFUSED")}));
    EXPECT_EQ(requests(), QStringList());
    EXPECT_FALSE(AddressGuard().allows(QHostAddress(QStringLiteral("::ffff:127.0.0.1"))));
    EXPECT_FALSE(AddressGuard().allows(QHostAddress(QStringLiteral("169.254.1.1"))));
    EXPECT_FALSE(AddressGuard().allows(QHostAddress(QStringLiteral("fd00::1"))));
    EXPECT_TRUE(AddressGuard().allows(QHostAddress(QStringLiteral("93.184.216.34"))));

    // The site's own server is on this computer: its address is asked, within the limits.
    ExternalLinks::Limits one = quick();
    one.addresses = 1;
    const ExternalLinks::Outcome here = ExternalLinks::check(addresses, AddressGuard({QHostAddress::LocalHost}), one);
    EXPECT_EQ(rowsOf(here), QStringList({QStringLiteral("a.html:2:4 エラー QZ_EXTERNAL_MISSING")}));
    EXPECT_EQ(here.leftOut, 1);
    EXPECT_EQ(requests(), QStringList({QStringLiteral("HEAD /missing")}));

    const ExternalLinks::Outcome stopped =
        ExternalLinks::check(addresses, AddressGuard({QHostAddress::LocalHost}), quick(), {[] { return true; }, {}});
    EXPECT_TRUE(stopped.stopped);
    EXPECT_TRUE(stopped.rows.isEmpty());
}

} // namespace
