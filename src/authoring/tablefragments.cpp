#include "authoring/tablefragments.h"

#include "common/usererror.h"

namespace TableFragments {

namespace {

constexpr Row kRows[] = {
    {0, nullptr}, // mnuTable 表(標準): the plain grid
    {1,           // N19 表(１行目を強調)
     u"  <tr bgcolor=\"#ff00cc\"><th>data1</th><th>data2</th></tr>\r\n"
     u"  <tr><td>data3</td><td>data4</td></tr>\r\n"
     u"</table>"},
    {2, // N20 表(１列目を強調)
     u"  <tr><th bgcolor=\"#ff00cc\">data1</th><td>data2</td></tr>\r\n"
     u"  <tr><th bgcolor=\"#ff00cc\">data3</th><td>data4</td></tr>\r\n"
     u"</table>"},
    {3, // N21 表(行結合)
     u"  <tr>\r\n"
     u"    <th rowspan=\"3\" bgcolor=\"#ff00cc\">行結合</th>\r\n"
     u"    <td>data1</td><td>data2</td>\r\n"
     u"  </tr>\r\n"
     u"  <tr><td>data3</td><td>data4</td></tr>\r\n"
     u"  <tr><td>data5</td><td>data6</td></tr>\r\n"
     u"</table>"},
    {4, // N22 表(列結合)
     u"  <tr><th colspan=\"3\" bgcolor=\"#ff00cc\">列結合</th>\r\n"
     u"  </tr>\r\n"
     u"  <tr>\r\n"
     u"    <td>data1</td><td>data2</td><td>data3</td>\r\n"
     u"  </tr>\r\n"
     u"  <tr>\r\n"
     u"    <td>data4</td><td>data5</td><td>data6</td>\r\n"
     u"  </tr>\r\n"
     u"</table>"},
};

QString plainGrid(const TableSettings &settings)
{
    const int rows = countOf(settings.rows);
    const int columns = countOf(settings.columns);
    if (rows > kMaxRows || columns > kMaxColumns) {
        const QString refusal = QStringLiteral("表が大きすぎます（%1 行 × %2 列）。"
                                               "行数は %3 まで、列数は %4 までにしてください");
        throw UserError(refusal.arg(rows).arg(columns).arg(kMaxRows).arg(kMaxColumns));
    }
    const QString line = QStringLiteral("<TR>") + QStringLiteral("<TD>data</TD>").repeated(qMax(columns, 0))
        + QStringLiteral("</TR>\r\n");
    return line.repeated(qMax(rows, 0)) + QStringLiteral("</table>");
}

} // namespace

constexpr TagTable<Row> kTable(kRows);

const Row *row(int tag)
{
    return kTable.find(tag);
}

QString head(const QString &width, const QString &height)
{
    return QStringLiteral("<table border=\"1\" width=\"") + width + QStringLiteral("\" height=\"") + height
        + QStringLiteral("\" bordercolor=\"#000080\" cellspacing=\"1\">\r\n<caption>表のタイトル</caption>\r\n");
}

QString build(const Row &row, const TableSettings &settings)
{
    // The grid is checked before anything is built, so a refused size leaves nothing behind.
    const QString body = row.body ? QString::fromUtf16(row.body) : plainGrid(settings);
    return head(settings.width, settings.height) + body;
}

int countOf(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        ++i;
    const qsizetype digits = i;
    while (i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'))
        ++i;
    bool ok = i > digits && i == text.size();
    int value = 0;
    if (ok)
        value = QStringView(text).mid(start).toInt(&ok, 10);
    if (!ok)
        throw UserError(QStringLiteral("'%1' は整数ではありません").arg(text));
    return value;
}

} // namespace TableFragments
