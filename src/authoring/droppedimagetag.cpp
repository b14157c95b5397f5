#include "authoring/droppedimagetag.h"

namespace DroppedImageTag {

QString address(const QString &relativePath)
{
    QString out;
    out.reserve(relativePath.size());
    for (const QChar c : relativePath) {
        switch (c.unicode()) {
        case u' ':
        case u'%':
        case u'#':
        case u'?':
        case u'"':
        case u'\'':
        case u'<':
        case u'>':
            out += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
            break;
        case u'&':
            out += QStringLiteral("&amp;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

Tag build(const QString &relativePath, const QSize &size)
{
    QString text = QStringLiteral("<img src=\"") + address(relativePath) + QLatin1Char('"');
    if (size.isValid())
        text += QStringLiteral(" width=\"%1\" height=\"%2\"").arg(size.width()).arg(size.height());
    text += QStringLiteral(" alt=\"");
    const qsizetype altPosition = text.size();
    text += QStringLiteral("\">");
    return {text, altPosition};
}

} // namespace DroppedImageTag
