#include "authoring/insertfragments.h"

namespace InsertFragments {

namespace {

constexpr ImageRow kImageRows[] = {
    {0, u"left"},  // mnuGrp1 画像左寄せ
    {1, u"right"}, // mnuGrp2 画像右寄せ
};

// The in-page jump puts enough line breaks between the link and its target that the jump is
// visible in the preview.
constexpr int kJumpBreaks = 24;
const QString kJumpFiller = QStringLiteral("<br>").repeated(kJumpBreaks);

constexpr LinkRow kLinkRows[] = {
    {0, u"<a href=\"http://ここにURLを入れてね\">", u"</a>", u"", u""}, // URL1
    {1,
     u"<a href=\"mailto:ここにメールアドレスを入れてね\">",
     u"</a>", // mail1
     u"<a href=\"mailto:",
     u"\"></a>"},
    {2, u"<a href=\"#QZ\">", u"</a>\r\n%1\r\n<a name=\"QZ\">ここです</a>", u"", u""}, // NAME1
};

} // namespace

constexpr TagTable<ImageRow> kImageTable(kImageRows);
constexpr TagTable<LinkRow> kLinkTable(kLinkRows);

const ImageRow *imageRow(int tag)
{
    return kImageTable.find(tag);
}

QString image(const ImageRow &row)
{
    return QStringLiteral("<img src=\"画像ファイル名\" align=\"") + QString::fromUtf16(row.align)
        + QStringLiteral("\" alt=\"この画像は○○です\">");
}

const LinkRow *linkRow(int tag)
{
    return kLinkTable.find(tag);
}

QString link(const LinkRow &row, const QString &selection)
{
    const QString text = selection.isEmpty() ? QStringLiteral("ｼﾞｬﾝﾌﾟ先") : selection;
    const QString addressOpen = QString::fromUtf16(row.addressOpen);
    if (!addressOpen.isEmpty() && text.contains(QLatin1Char('@')))
        return addressOpen + text + QString::fromUtf16(row.addressClose);
    QString close = QString::fromUtf16(row.close);
    if (close.contains(QLatin1String("%1")))
        close = close.arg(kJumpFiller);
    return QString::fromUtf16(row.open) + text + close;
}

QString backgroundColorAttribute(const QString &colorText)
{
    if (colorText.isEmpty())
        return {};
    return QStringLiteral(" bgcolor=\"") + colorText + QLatin1Char('"');
}

QString horizontalRule()
{
    return QStringLiteral("<hr>");
}

} // namespace InsertFragments
