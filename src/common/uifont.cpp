#include "common/uifont.h"

#include <QStringList>

namespace UiFont {

QFont windowFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"),
                      QStringLiteral("MS PGothic"),
                      QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("IPAPGothic"),
                      QStringLiteral("VL PGothic"),
                      QStringLiteral("Sans Serif")});
    font.setPixelSize(12);
    return font;
}

QFont statusFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans"),
                      QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("Sans Serif")});
    font.setPixelSize(12);
    return font;
}

} // namespace UiFont
