#include "common/documentfilters.h"

namespace DocumentFilters {

const QList<Filter> &filters()
{
    static const QList<Filter> table{
        {QStringLiteral("Html(*.htm;*.html)"), QStringLiteral("*.htm;*.html")},
        {QStringLiteral("テキストファイル(*.txt)"), QStringLiteral("*.txt")},
        {QStringLiteral("CGI(*.cgi;*.pl)"), QStringLiteral("*.cgi;*.pl")},
        {QStringLiteral("ASP(*.asp;*.aspx)"), QStringLiteral("*.asp;*.aspx")},
        {QStringLiteral("リッチテキスト(*.rtf)"), QStringLiteral("*.rtf")},
        {QStringLiteral("画像ファイル"), QStringLiteral("*.jpg;*.jpeg;*.gif;*.bmp;*.png;*.webp;*.svg")},
        {QStringLiteral("すべてのファイル"), QStringLiteral("*.*")},
    };
    return table;
}

QStringList nameFilters()
{
    QStringList result;
    for (const Filter &filter : filters()) {
        QStringList patterns = filter.patterns.split(QLatin1Char(';'));
        // "*.*" means every file where it comes from; here a name need not have a dot.
        patterns.replaceInStrings(QStringLiteral("*.*"), QStringLiteral("*"));
        result.append(filter.caption + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return result;
}

} // namespace DocumentFilters
