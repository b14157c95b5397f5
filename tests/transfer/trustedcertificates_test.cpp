#include "transfer/trustedcertificates.h"

#include "transfer/certificatetext.h"
#include "transfer/ftp/ftpcertificate.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

ServerCertificate certificate(const std::string &host, std::uint16_t port, const std::string &der)
{
    ServerCertificate c;
    c.host = host;
    c.port = port;
    c.names = {"*.rental.example"};
    c.subject = "CN=*.rental.example";
    c.issuer = "CN=Rental CA, O=Rental";
    c.notBefore = 1767225600; // 2026-01-01 00:00 UTC
    c.notAfter = 1798761600;  // 2027-01-01 00:00 UTC
    c.der = der;
    c.fingerprint = der == "one" ? "AA:AA" : "BB:BB";
    c.problems = ServerCertificate::NameMismatch;
    return c;
}

TEST(TrustedCertificates, TheSameCertificatePassesAnotherOneForTheSameServerIsAChange)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(TrustedCertificates::kFileName);
    TrustedCertificates trusted;
    trusted.load(path);
    const ServerCertificate one = certificate("ftp.example.jp", 21, "one");
    EXPECT_EQ(trusted.verdict(one), TrustedCertificates::Verdict::Unknown);
    trusted.trust(one);
    trusted.write(path);
    EXPECT_EQ(QFileInfo(path).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);

    TrustedCertificates again;
    again.load(path);
    struct Case
    {
        const char *name;
        ServerCertificate shown;
        TrustedCertificates::Verdict expected;
    };
    ServerCertificate sameFingerprintOtherBytes = certificate("ftp.example.jp", 21, "ONE");
    sameFingerprintOtherBytes.fingerprint = "AA:AA";
    const QList<Case> cases = {
        {"same", one, TrustedCertificates::Verdict::Trusted},
        {"name in other case", certificate("FTP.Example.JP", 21, "one"), TrustedCertificates::Verdict::Trusted},
        {"changed", certificate("ftp.example.jp", 21, "two"), TrustedCertificates::Verdict::Changed},
        {"same fingerprint, other certificate", sameFingerprintOtherBytes, TrustedCertificates::Verdict::Changed},
        {"other port", certificate("ftp.example.jp", 990, "one"), TrustedCertificates::Verdict::Unknown},
        {"other host", certificate("www.example.jp", 21, "one"), TrustedCertificates::Verdict::Unknown},
    };
    for (const Case &c : cases)
        EXPECT_EQ(again.verdict(c.shown), c.expected) << c.name;
    EXPECT_EQ(again.trustedFingerprint(QStringLiteral("ftp.example.jp"), 21), QStringLiteral("AA:AA"));
    EXPECT_EQ(TrustedCertificates::key(QStringLiteral("::1"), 2121), QStringLiteral("[::1]:2121"));
}

TEST(CertificateText, SaysWhyInPlainJapaneseAndShowsWhatABeginnerCanCheck)
{
    struct Case
    {
        const char *name;
        unsigned problems;
        QStringList expected; // the start of each sentence, in order
    };
    const QList<Case> cases = {
        {"self-signed is not also called untrusted",
         ServerCertificate::SelfSigned | ServerCertificate::Untrusted,
         {QStringLiteral("自己署名")}},
        {"untrusted", ServerCertificate::Untrusted, {QStringLiteral("信頼できる発行元")}},
        {"expired and wrong name",
         ServerCertificate::Expired | ServerCertificate::NameMismatch,
         {QStringLiteral("証明書の有効期限が切れています"),
          QStringLiteral("接続先の名前（ftp.example.jp）用の証明書ではありません")}},
        {"not yet valid", ServerCertificate::NotYetValid, {QStringLiteral("証明書の有効期間がまだ始まっていません")}},
    };
    for (const Case &c : cases) {
        ServerCertificate shown = certificate("ftp.example.jp", 21, "one");
        shown.problems = c.problems;
        const QStringList lines = CertificateText::problems(shown);
        ASSERT_EQ(lines.size(), c.expected.size()) << c.name;
        for (qsizetype i = 0; i < lines.size(); ++i)
            EXPECT_TRUE(lines.at(i).startsWith(c.expected.at(i))) << c.name << ": " << lines.at(i).toStdString();
    }

    const QString question = CertificateText::unknownQuestion(certificate("ftp.example.jp", 21, "one"));
    for (const QString &part : {QStringLiteral("ftp.example.jp:21"),
                                QStringLiteral("*.rental.example"),
                                QStringLiteral("CN=Rental CA, O=Rental"),
                                QStringLiteral("AA:AA")})
        EXPECT_TRUE(question.contains(part)) << part.toStdString();
    // Valid from/to in local time, in the program's date form.
    const QDateTime from = QDateTime::fromSecsSinceEpoch(1767225600).toLocalTime();
    EXPECT_TRUE(question.contains(from.toString(QStringLiteral("yyyy/MM/dd HH:mm")))) << question.toStdString();
    const QString warning =
        CertificateText::changedWarning(certificate("ftp.example.jp", 21, "two"), QStringLiteral("AA:AA"));
    EXPECT_TRUE(warning.contains(QStringLiteral("攻撃"))) << warning.toStdString();
    EXPECT_TRUE(warning.contains(QStringLiteral("BB:BB")));
    EXPECT_TRUE(warning.contains(QStringLiteral("AA:AA")));
}

} // namespace
