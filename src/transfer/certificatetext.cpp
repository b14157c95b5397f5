#include "transfer/certificatetext.h"

#include "common/dateformat.h"
#include "transfer/servercertificate.h"

#include <QDateTime>

#include <array>

namespace CertificateText {

namespace {

struct ProblemText
{
    ServerCertificate::Problem problem;
    const char *text;
};

// A self-signed certificate is also untrusted; saying both would only confuse, so the first
// row that holds and names the same cause wins (see problems()).
constexpr std::array<ProblemText, 5> kProblemTexts{{
    {ServerCertificate::SelfSigned,
     "自己署名の証明書です（サーバーが自分で作った証明書で、第三者の確認を受けていません）。"},
    {ServerCertificate::Untrusted, "信頼できる発行元（認証局）の署名がない証明書です。"},
    {ServerCertificate::Expired, "証明書の有効期限が切れています。"},
    {ServerCertificate::NotYetValid,
     "証明書の有効期間がまだ始まっていません（パソコンの日付が正しいか確かめてください）。"},
    {ServerCertificate::NameMismatch, "接続先の名前（%1）用の証明書ではありません（名前が違います）。"},
}};

QString localDate(std::int64_t secondsSinceEpoch)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(secondsSinceEpoch).toLocalTime();
    return DateFormat::shortDate(local.date()) + QLatin1Char(' ') + local.time().toString(QStringLiteral("HH:mm"));
}

QString text(const std::string &utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace

QString serverName(const QString &host, quint16 port)
{
    const QString shown = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return shown + QLatin1Char(':') + QString::number(port);
}

QString serverName(const ServerCertificate &certificate)
{
    return serverName(text(certificate.host), certificate.port);
}

QStringList problems(const ServerCertificate &certificate)
{
    QStringList lines;
    for (const ProblemText &row : kProblemTexts) {
        if (!(certificate.problems & row.problem))
            continue;
        if (row.problem == ServerCertificate::Untrusted && (certificate.problems & ServerCertificate::SelfSigned))
            continue;
        QString line = QString::fromUtf8(row.text);
        if (line.contains(QStringLiteral("%1")))
            line = line.arg(text(certificate.host));
        lines.append(line);
    }
    if (lines.isEmpty())
        lines.append(QStringLiteral("証明書を確認できませんでした。"));
    return lines;
}

QString particulars(const ServerCertificate &certificate)
{
    QStringList names;
    for (const std::string &name : certificate.names)
        names.append(text(name));
    return QStringLiteral("発行先（この名前用）: %1\n発行者: %2\n有効期間: %3 ～ %4\nSHA-256 フィンガープリント:\n%5")
        .arg(names.isEmpty() ? QStringLiteral("（なし）") : names.join(QStringLiteral(", ")),
             text(certificate.issuer),
             localDate(certificate.notBefore),
             localDate(certificate.notAfter),
             text(certificate.fingerprint));
}

QString hostKeyParticulars(const ServerCertificate &key)
{
    return QStringLiteral("鍵の種類: %1\nフィンガープリント:\n%2").arg(text(key.keyType), text(key.fingerprint));
}

QString unknownQuestion(const ServerCertificate &certificate)
{
    if (!certificate.keyType.empty())
        return QStringLiteral("サーバー %1 の鍵（ホスト鍵）は、まだ信頼されていません。"
                              "初めて接続するサーバーでは、いつもこう尋ねます。\n\n")
                   .arg(serverName(certificate))
            + hostKeyParticulars(certificate)
            + QStringLiteral("\n\nサーバー会社の案内にあるフィンガープリントと同じときだけ接続してください。");
    return QStringLiteral("サーバー %1 の証明書を確認できませんでした。\n\n").arg(serverName(certificate))
        + problems(certificate).join(QLatin1Char('\n')) + QStringLiteral("\n\n") + particulars(certificate)
        + QStringLiteral("\n\nレンタルサーバーでは、サーバー会社の名前で作られた証明書が使われていることがあります。"
                         "サーバー会社の案内と発行先やフィンガープリントが合っているときだけ接続してください。");
}

QString changedWarning(const ServerCertificate &certificate, const QString &trustedFingerprint)
{
    if (!certificate.keyType.empty())
        return QStringLiteral(
                   "サーバー %1 の鍵（ホスト鍵）が、以前「常にこの鍵を信頼」を選んだ鍵から変わっています。\n"
                   "通信が途中で乗っ取られている（攻撃を受けている）おそれがあります。"
                   "サーバー会社から鍵を替えたと知らされていないときは、接続しないでください。\n\n新しい鍵\n")
                   .arg(serverName(certificate))
            + hostKeyParticulars(certificate) + QStringLiteral("\n\n以前の鍵のフィンガープリント:\n")
            + trustedFingerprint;
    return QStringLiteral("サーバー %1 の証明書が、以前「常にこの証明書を信頼」を選んだ証明書から変わっています。\n"
                          "通信が途中で乗っ取られている（攻撃を受けている）おそれがあります。"
                          "サーバー会社から証明書を替えたと知らされていないときは、接続しないでください。\n\n")
               .arg(serverName(certificate))
        + problems(certificate).join(QLatin1Char('\n')) + QStringLiteral("\n\n新しい証明書\n")
        + particulars(certificate) + QStringLiteral("\n\n以前の証明書の SHA-256 フィンガープリント:\n")
        + trustedFingerprint;
}

QString replacedNotice(const ServerCertificate &certificate, const QString &trustedFingerprint)
{
    return QStringLiteral("サーバー %1 の証明書が、以前「常にこの証明書を信頼」を選んだ証明書から変わりました。\n"
                          "新しい証明書は確認に通った（信頼できる発行元が発行した）ので、接続しました。"
                          "これからはこの証明書を信頼します。サーバー会社から証明書を替えたと知らされていないときは、"
                          "切断してサーバー会社に問い合わせてください。\n\n新しい証明書\n")
               .arg(serverName(certificate))
        + particulars(certificate) + QStringLiteral("\n\n以前の証明書の SHA-256 フィンガープリント:\n")
        + trustedFingerprint;
}

} // namespace CertificateText
