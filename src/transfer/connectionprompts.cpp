#include "transfer/connectionprompts.h"

#include "common/userdialogs.h"
#include "transfer/certificatetext.h"
#include "transfer/servercertificate.h"

#include <QStringList>

namespace {

const QString kWarningTitle = QStringLiteral("警告");

} // namespace

QString ConnectionPrompts::plainWarning(const QString &site, const QString &host, bool offerFtps)
{
    QString text = QStringLiteral("「%1」（%2）には暗号化なしの FTP で接続します。\n"
                                  "パスワードと転送するファイルは暗号化されずに送られるため、"
                                  "同じネットワーク（公衆無線 LAN など）にいる人に読まれるおそれがあります。")
                       .arg(site, host);
    if (offerFtps)
        text += QStringLiteral("\n\nサーバーが FTPS（明示的 TLS）に対応していれば、"
                               "「FTPS で接続」で暗号化して接続できます。");
    return text;
}

ConnectionPrompts::PlainChoice ConnectionPrompts::askPlain(const QString &site, const QString &host, bool offerFtps)
{
    ChoiceRequest request;
    request.title = kWarningTitle;
    request.text = plainWarning(site, host, offerFtps);
    request.icon = DialogIcon::Warning;
    request.checkBox = QStringLiteral("今後このサイトでは表示しない");
    QList<PlainAnswer> answers;
    if (offerFtps) {
        request.choices.append(QStringLiteral("FTPS で接続"));
        answers.append(PlainAnswer::UseFtps);
    }
    request.choices.append(QStringLiteral("接続"));
    answers.append(PlainAnswer::Connect);
    request.choices.append(QStringLiteral("やめる"));
    answers.append(PlainAnswer::Stop);
    request.defaultChoice = 0;
    request.escapeChoice = static_cast<int>(answers.size()) - 1;
    const ChoiceAnswer answer = m_dialogs.choose(&m_window, request);
    return {answers.value(answer.choice, PlainAnswer::Stop), answer.checked};
}

bool ConnectionPrompts::askSwitchToFtps(const QString &failure)
{
    ChoiceRequest request;
    request.title = kWarningTitle;
    request.text = failure + QStringLiteral("\n\n接続方式を FTPS にして、もう一度接続しますか？");
    request.icon = DialogIcon::Warning;
    request.choices = {QStringLiteral("FTPS で接続"), QStringLiteral("やめる")};
    request.defaultChoice = 0;
    request.escapeChoice = 1;
    return m_dialogs.choose(&m_window, request).choice == 0;
}

ConnectionPrompts::CertificateAnswer ConnectionPrompts::askUnknown(const ServerCertificate &certificate)
{
    const QString title =
        certificate.keyType.empty() ? QStringLiteral("証明書の確認") : QStringLiteral("サーバーの鍵の確認");
    return askCertificate(certificate, title, CertificateText::unknownQuestion(certificate), false);
}

ConnectionPrompts::CertificateAnswer ConnectionPrompts::askChanged(const ServerCertificate &certificate,
                                                                   const QString &trustedFingerprint)
{
    return askCertificate(
        certificate, kWarningTitle, CertificateText::changedWarning(certificate, trustedFingerprint), true);
}

ConnectionPrompts::CertificateAnswer ConnectionPrompts::askCertificate(const ServerCertificate &certificate,
                                                                       const QString &title,
                                                                       const QString &text,
                                                                       bool loud)
{
    static const QList<CertificateAnswer> answers{
        CertificateAnswer::Once, CertificateAnswer::Always, CertificateAnswer::Refuse};
    ChoiceRequest request;
    request.title = title;
    request.text = text;
    request.icon = loud ? DialogIcon::Warning : DialogIcon::Question;
    request.choices = {QStringLiteral("今回だけ接続"),
                       certificate.keyType.empty() ? QStringLiteral("常にこの証明書を信頼")
                                                   : QStringLiteral("常にこの鍵を信頼"),
                       QStringLiteral("接続しない")};
    // A stray Enter or Esc never lets a doubtful certificate through.
    request.defaultChoice = 2;
    request.escapeChoice = 2;
    return answers.value(m_dialogs.choose(&m_window, request).choice, CertificateAnswer::Refuse);
}
