#include "authoring/colorchoice.h"

#include "common/usererror.h"

namespace {

QString hexByte(int value)
{
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

QString colorText(RgbColor color, ColorNotation notation)
{
    switch (notation) {
    case ColorNotation::Rgb:
        return QStringLiteral("RGB(%1,%2,%3)").arg(color.red).arg(color.green).arg(color.blue);
    case ColorNotation::Dollar:
        return QLatin1Char('$') + hexByte(color.blue) + hexByte(color.green) + hexByte(color.red);
    case ColorNotation::Hash:
        return QLatin1Char('#') + hexByte(color.red) + hexByte(color.green) + hexByte(color.blue);
    }
    return {};
}

void applyPreset(ColorChoice &choice, const ColorSizePreset &preset)
{
    if (preset.useColor)
        choice.useColor = *preset.useColor;
    if (preset.useSize)
        choice.useSize = *preset.useSize;
    if (preset.notation)
        choice.notation = *preset.notation;
    else if (preset.writesHtml)
        choice.notation = choice.htmlNotation;
}

void rememberNotation(ColorChoice &choice, const ColorSizePreset &preset)
{
    if (preset.writesHtml)
        choice.htmlNotation = choice.notation;
}

bool canAccept(const ColorChoice &choice)
{
    return choice.useColor || choice.useSize;
}

RgbColor colorFromNumberText(const QString &text)
{
    bool ok = false;
    qlonglong value = 0;
    if (text.startsWith(QLatin1Char('$'))) {
        const QString digits = text.mid(1);
        if (!digits.isEmpty() && digits.size() <= 8 && !digits.startsWith(QLatin1Char('+'))
            && !digits.startsWith(QLatin1Char('-')))
            value = digits.toLongLong(&ok, 16);
    } else {
        value = text.toLongLong(&ok, 10);
        ok = ok && value >= 0;
    }
    if (!ok || value > 0xFFFFFFFFLL)
        throw UserError(QStringLiteral("'%1' は整数値ではありません").arg(text));
    return RgbColor{int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF)};
}
