#include "transfer/ftpaddress.h"

#include "common/usererror.h"

FtpAddress FtpAddress::parse(const QString &text)
{
    constexpr uint kLargestPort = 65535;
    const QString trimmed = text.trimmed();
    const qsizetype colon = trimmed.lastIndexOf(QLatin1Char(':'));
    if (colon < 0)
        return {trimmed};
    const QString portText = trimmed.mid(colon + 1);
    bool ok = false;
    const uint port = portText.toUInt(&ok);
    bool digitsOnly = !portText.isEmpty();
    for (const QChar c : portText)
        digitsOnly = digitsOnly && c >= u'0' && c <= u'9';
    if (!ok || !digitsOnly || port == 0 || port > kLargestPort || colon == 0)
        throw UserError(QStringLiteral("ホスト名 %1 のポート番号が正しくありません").arg(text));
    return {trimmed.left(colon), static_cast<std::uint16_t>(port)};
}
