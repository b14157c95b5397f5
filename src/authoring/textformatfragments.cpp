#include "authoring/textformatfragments.h"

#include <QStringView>

namespace TextFormatFragments {

namespace {

constexpr Row kRows[] = {
    {0, Shape::Font, u"<font", u"</font>", ColorPresets::fontTag}, // Font1 フォント(ｻｲｽﾞ･色)
    {1, Shape::BaseFont, u"<basefont size=\"", u"\">", ColorPresets::baseFontSize}, // N24 全体のﾌｫﾝﾄｻｲｽﾞ
    {2, Shape::Wrap, u"<b>", u"</b>", std::nullopt},                                // N5 太字
    {3, Shape::Wrap, u"<i>", u"</i>", std::nullopt},                                // N6 斜体
    {4, Shape::Wrap, u"<u>", u"</u>", std::nullopt},                                // N7 下線付き
    {5, Shape::Wrap, u"<strike>", u"</strike>", std::nullopt},                      // N44 取消線
    {6, Shape::Wrap, u"<h1>", u"</h1>", std::nullopt},                              // mnuMIDASHI 見出し
};

QString fontTag(const Row &row, const QString &selection, const ColorChoice &result)
{
    QString text = QString::fromUtf16(row.open);
    if (result.useSize)
        text += QStringLiteral(" size=\"") + result.sizeText + QLatin1Char('"');
    if (result.useColor)
        text += QStringLiteral(" color=\"") + result.colorText + QLatin1Char('"');
    return text + QLatin1Char('>') + selection + QString::fromUtf16(row.close);
}

} // namespace

constexpr TagTable<Row> kTable(kRows);

const Row *row(int tag)
{
    return kTable.find(tag);
}

QString build(const Row &row, const QString &selection, const ColorChoice &result)
{
    // Every dialog command counts 閉じる as "insert nothing"; the base font tag included, so a
    // cancelled dialog never leaves a tag behind.
    if (row.dialog && result.colorText.isEmpty())
        return {};
    switch (row.shape) {
    case Shape::Font:
        return fontTag(row, selection, result);
    case Shape::BaseFont:
        return QString::fromUtf16(row.open) + result.sizeText + QString::fromUtf16(row.close) + selection;
    case Shape::Wrap:
        return QString::fromUtf16(row.open) + selection + QString::fromUtf16(row.close);
    }
    return {};
}

} // namespace TextFormatFragments
