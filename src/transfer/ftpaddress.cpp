#include "transfer/ftpaddress.h"

#include "common/usererror.h"

namespace {

constexpr uint kLargestPort = 65535;

[[noreturn]] void throwBadPort(const QString &text)
{
    throw UserError(QStringLiteral("ホスト名 %1 のポート番号が正しくありません").arg(text));
}

[[noreturn]] void throwBadBrackets(const QString &text)
{
    throw UserError(
        QStringLiteral("ホスト名 %1 が正しくありません。IPv6 アドレスは [::1] か [::1]:2121 のように書きます")
            .arg(text));
}

std::uint16_t portOf(const QString &portText, const QString &text)
{
    bool digitsOnly = !portText.isEmpty();
    for (const QChar c : portText)
        digitsOnly = digitsOnly && c >= u'0' && c <= u'9';
    bool ok = false;
    const uint port = portText.toUInt(&ok);
    if (!ok || !digitsOnly || port == 0 || port > kLargestPort)
        throwBadPort(text);
    return static_cast<std::uint16_t>(port);
}

} // namespace

FtpAddress FtpAddress::parse(const QString &text, std::uint16_t defaultPort)
{
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        const QString inside = trimmed.mid(1, close - 1);
        if (close < 0 || !inside.contains(QLatin1Char(':')) || inside.contains(QLatin1Char('[')))
            throwBadBrackets(text);
        const QString rest = trimmed.mid(close + 1);
        if (rest.isEmpty())
            return {inside, defaultPort};
        if (!rest.startsWith(QLatin1Char(':')))
            throwBadBrackets(text);
        return {inside, portOf(rest.mid(1), text)};
    }
    const qsizetype colon = trimmed.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return {trimmed, defaultPort};
    // Two colons or more: an IPv6 address, which has no room for a port without brackets.
    if (trimmed.indexOf(QLatin1Char(':'), colon + 1) >= 0) {
        if (trimmed.contains(QLatin1Char('[')) || trimmed.contains(QLatin1Char(']')))
            throwBadBrackets(text);
        return {trimmed, defaultPort};
    }
    if (colon == 0)
        throwBadPort(text);
    return {trimmed.left(colon), portOf(trimmed.mid(colon + 1), text)};
}

QString FtpAddress::text() const
{
    const QString shown = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return shown + QLatin1Char(':') + QString::number(port);
}
