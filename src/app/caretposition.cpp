#include "app/caretposition.h"

#include <QList>
#include <QStringView>

namespace CaretPosition {

int byteWidth(char32_t character)
{
    // One byte: ASCII, the half-width katakana, and the private-use characters that stand for a
    // single byte no table decodes.
    if (character < 0x80)
        return 1;
    if (character >= 0xFF61 && character <= 0xFF9F)
        return 1;
    if (character >= 0xF780 && character <= 0xF7FF)
        return 1;
    return 2;
}

int byteLength(const QString &text)
{
    int bytes = 0;
    for (char32_t character : QStringView(text).toUcs4())
        bytes += byteWidth(character);
    return bytes;
}

QString displayText(int lineIndex, const QString &lineBeforeCaret)
{
    return QStringLiteral("%1行 %2桁").arg(lineIndex + 1).arg(byteLength(lineBeforeCaret) + 1);
}

} // namespace CaretPosition
