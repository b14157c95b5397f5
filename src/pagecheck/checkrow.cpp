#include "pagecheck/checkrow.h"

QString CheckRow::levelName(Level level)
{
    switch (level) {
    case Level::Error:
        return QStringLiteral("エラー");
    case Level::Caution:
        return QStringLiteral("注意");
    case Level::Hint:
        return QStringLiteral("ヒント");
    }
    return {};
}
