#include "app/keptpage.h"

#include <QHash>
#include <QUrl>

namespace {

const QByteArray kMagic = QByteArrayLiteral("QZWeb recovery 1");
const QByteArray kEndOfHeader = QByteArrayLiteral("\n\n");
const QByteArray kUtf8 = QByteArrayLiteral("utf8");
const QByteArray kCp932 = QByteArrayLiteral("cp932");

// The line end the page is written with; a copy kept by an earlier version has none: CR LF.
const struct
{
    LineEnd lineEnd;
    QByteArray name;
} kLineEnds[] = {
    {LineEnd::CrLf, QByteArrayLiteral("crlf")},
    {LineEnd::Lf, QByteArrayLiteral("lf")},
    {LineEnd::Cr, QByteArrayLiteral("cr")},
};

QByteArray lineEndName(LineEnd lineEnd)
{
    for (const auto &row : kLineEnds) {
        if (row.lineEnd == lineEnd)
            return row.name;
    }
    return kLineEnds[0].name;
}

LineEnd lineEndNamed(const QByteArray &name)
{
    for (const auto &row : kLineEnds) {
        if (row.name == name)
            return row.lineEnd;
    }
    return LineEnd::CrLf;
}

} // namespace

QByteArray KeptPage::toBytes() const
{
    QByteArray bytes = kMagic + '\n';
    // Percent-encoded, so no name (a line break is allowed in one) can break the header.
    bytes += "path=" + QUrl::toPercentEncoding(path) + '\n';
    bytes += "encoding=" + (format.encoding == TextFormat::Encoding::Utf8 ? kUtf8 : kCp932) + '\n';
    bytes += QByteArray("bom=") + (format.byteOrderMark ? "1" : "0") + '\n';
    bytes += "lineend=" + lineEndName(format.lineEnd) + '\n';
    if (format.unreadableBytes)
        bytes += "unreadable=1\n";
    bytes += "kept=" + keptAt.toUTC().toString(Qt::ISODate).toLatin1() + '\n';
    if (richText)
        bytes += "kind=rtf\n";
    bytes += '\n';
    bytes += text.toUtf8();
    return bytes;
}

std::optional<KeptPage> KeptPage::parse(const QByteArray &bytes)
{
    const qsizetype end = bytes.indexOf(kEndOfHeader);
    if (!bytes.startsWith(kMagic + '\n') || end < 0)
        return std::nullopt;
    QHash<QByteArray, QByteArray> values;
    for (const QByteArray &line : bytes.left(end).split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            values.insert(line.left(equals), line.mid(equals + 1));
    }
    const QByteArray encoding = values.value("encoding");
    const QDateTime keptAt = QDateTime::fromString(QString::fromLatin1(values.value("kept")), Qt::ISODate);
    if ((encoding != kUtf8 && encoding != kCp932) || !keptAt.isValid() || !values.contains("path"))
        return std::nullopt;
    KeptPage page;
    page.path = QUrl::fromPercentEncoding(values.value("path"));
    page.format.encoding = encoding == kUtf8 ? TextFormat::Encoding::Utf8 : TextFormat::Encoding::Cp932;
    page.format.byteOrderMark = values.value("bom") == "1";
    page.format.lineEnd = lineEndNamed(values.value("lineend"));
    page.format.unreadableBytes = values.value("unreadable") == "1";
    page.keptAt = keptAt;
    page.richText = values.value("kind") == "rtf";
    page.text = QString::fromUtf8(bytes.mid(end + kEndOfHeader.size()));
    return page;
}
