#include "authoring/imagesignature.h"

#include <QXmlStreamReader>

namespace {

const struct
{
    ImageSignature::Format format;
    const char *readerName;
} kReaderNames[] = {
    {ImageSignature::Format::Png, "png"},
    {ImageSignature::Format::Jpeg, "jpeg"},
    {ImageSignature::Format::Gif, "gif"},
    {ImageSignature::Format::WebP, "webp"},
    {ImageSignature::Format::Svg, "svg"},
};

// The root element's attributes of an XML document (not gzip-compressed) whose first element is
// svg, in whatever namespace prefix; nullopt for anything else. The start of a large drawing is
// enough: the reader stops at the first element.
std::optional<QXmlStreamAttributes> svgRoot(const QByteArray &start)
{
    QXmlStreamReader xml(start);
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (xml.name() != QLatin1String("svg"))
                return std::nullopt;
            return xml.attributes();
        case QXmlStreamReader::Characters:
            if (!xml.isWhitespace())
                return std::nullopt;
            break;
        case QXmlStreamReader::Invalid:
            return std::nullopt;
        default:
            break;
        }
    }
    return std::nullopt;
}

// A length in pixels: "48", "48.5", "48px"; nullopt for other units and percentages.
std::optional<int> pixels(QStringView length)
{
    QStringView number = length.trimmed();
    if (number.endsWith(QLatin1String("px")))
        number.chop(2);
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || value <= 0)
        return std::nullopt;
    return qRound(value);
}

} // namespace

namespace ImageSignature {

std::optional<Format> of(const QByteArray &start)
{
    if (start.startsWith("\x89PNG\r\n\x1a\n"))
        return Format::Png;
    if (start.startsWith("\xff\xd8\xff"))
        return Format::Jpeg;
    if (start.startsWith("GIF87a") || start.startsWith("GIF89a"))
        return Format::Gif;
    if (start.size() >= 12 && start.startsWith("RIFF") && start.mid(8, 4) == "WEBP")
        return Format::WebP;
    if (svgRoot(start))
        return Format::Svg;
    return std::nullopt;
}

std::optional<QSize> svgSize(const QByteArray &start)
{
    const std::optional<QXmlStreamAttributes> root = svgRoot(start);
    if (!root)
        return std::nullopt;
    const std::optional<int> width = pixels(root->value(QLatin1String("width")));
    const std::optional<int> height = pixels(root->value(QLatin1String("height")));
    if (!width || !height)
        return std::nullopt;
    return QSize(*width, *height);
}

QByteArray readerFormat(Format format)
{
    for (const auto &row : kReaderNames) {
        if (row.format == format)
            return row.readerName;
    }
    return {};
}

} // namespace ImageSignature
