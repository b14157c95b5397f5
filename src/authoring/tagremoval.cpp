#include "authoring/tagremoval.h"

namespace TagRemoval {

QString removeTags(const QString &text)
{
    QString result;
    result.reserve(text.size());
    qsizetype from = 0;
    while (from < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('<'), from);
        if (open < 0)
            break;
        const qsizetype close = text.indexOf(QLatin1Char('>'), open + 1);
        if (close < 0)
            break;
        result += QStringView(text).mid(from, open - from);
        from = close + 1;
    }
    result += QStringView(text).mid(from);
    return result;
}

} // namespace TagRemoval
