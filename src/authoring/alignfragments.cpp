#include "authoring/alignfragments.h"

namespace AlignFragments {

namespace {

constexpr Row kRows[] = {
    {0, u"<div align=\"left\">", u"</div>"},   // mnuSetAlign 左寄せ (配置（div）)
    {1, u"<div align=\"center\">", u"</div>"}, // N45 中央寄せ
    {2, u"<div align=\"right\">", u"</div>"},  // N46 右寄せ
    {3, u" align=\"left\"", u""},              // N47 左寄せ (配置（align）)
    {4, u" align=\"center\"", u""},            // N48 中央寄せ
    {5, u" align=\"right\"", u""},             // N49 右寄せ
};

} // namespace

constexpr TagTable<Row> kTable(kRows);

const Row *row(int tag)
{
    return kTable.find(tag);
}

QString build(const Row &row, const QString &selection)
{
    return QString::fromUtf16(row.open) + selection + QString::fromUtf16(row.close);
}

} // namespace AlignFragments
