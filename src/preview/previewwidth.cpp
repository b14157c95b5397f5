#include "preview/previewwidth.h"

#include "preview/previewchoices.h"

#include <QRegularExpression>

namespace {

const QByteArray kKey = QByteArrayLiteral("pageWidth");

// The platform a phone's browser names in its user agent.
const QString kPhonePlatform = QStringLiteral("(Linux; Android 14; Pixel 8)");

} // namespace

namespace PreviewWidth {

const QList<Choice> &choices()
{
    // The widths most phones in use show pages at (small Android phones, current iPhones,
    // large phones).
    static const QList<Choice> rows = {
        {0, "pc", QStringLiteral("パソコン")},
        {360, "360", QStringLiteral("スマホ 360")},
        {390, "390", QStringLiteral("スマホ 390")},
        {414, "414", QStringLiteral("スマホ 414")},
    };
    return rows;
}

int read(const QString &path)
{
    const QByteArray value = PreviewChoices::value(PreviewChoices::read(path), kKey);
    for (const Choice &choice : choices()) {
        if (value == choice.key)
            return choice.cssWidth;
    }
    return choices().first().cssWidth;
}

void write(const QString &path, int cssWidth)
{
    for (const Choice &choice : choices()) {
        if (choice.cssWidth == cssWidth)
            PreviewChoices::write(path, kKey, choice.key);
    }
}

QString phoneUserAgent(const QString &desktop)
{
    static const QRegularExpression platform(QStringLiteral("\\([^)]*\\)"));
    QString phone = desktop;
    if (const QRegularExpressionMatch match = platform.match(phone); match.hasMatch())
        phone.replace(match.capturedStart(), match.capturedLength(), kPhonePlatform);
    if (!phone.contains(QStringLiteral("Mobile")))
        phone.replace(QStringLiteral(" Safari/"), QStringLiteral(" Mobile Safari/"));
    return phone;
}

} // namespace PreviewWidth
