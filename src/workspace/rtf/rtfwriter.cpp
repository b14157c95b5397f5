#include "workspace/rtf/rtfwriter.h"

#include "common/cp932codec.h"

#include <QHash>
#include <QList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <cmath>
#include <optional>

namespace {

constexpr double kTwipsPerPixel = 15.0;
constexpr double kPointsPerPixel = 72.0 / 96.0;
constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kObjectReplacement = 0xFFFC;

// The fonts and colours the document uses, in order of first use, as the tables list them.
class RtfTables
{
public:
    int fontIndex(const QString &family)
    {
        const qsizetype found = m_fonts.indexOf(family);
        if (found >= 0)
            return int(found);
        m_fonts.append(family);
        return int(m_fonts.size() - 1);
    }

    // Index 0 is the automatic colour, so real colours start at 1.
    int colorIndex(const QColor &color)
    {
        const QRgb rgb = color.rgb() & RGB_MASK;
        const qsizetype found = m_colors.indexOf(rgb);
        if (found >= 0)
            return int(found + 1);
        m_colors.append(rgb);
        return int(m_colors.size());
    }

    const QStringList &fonts() const { return m_fonts; }
    const QList<QRgb> &colors() const { return m_colors; }

private:
    QStringList m_fonts;
    QList<QRgb> m_colors;
};

class RtfText
{
public:
    // Appends text escaped for RTF: 7-bit bytes only, Japanese as CP932 byte pairs.
    void append(QByteArray &out, const QString &text)
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar ch = text.at(i);
            const char16_t c = ch.unicode();
            if (c == u'\\' || c == u'{' || c == u'}') {
                out.append('\\').append(char(c));
            } else if (c == u'\t') {
                out.append("\\tab ");
            } else if (c == kLineSeparator || c == u'\n') {
                out.append("\\line ");
            } else if (c < 0x20 || c == kObjectReplacement) {
                continue; // control characters and embedded objects have no place in the text
            } else if (c < 0x80) {
                out.append(char(c));
            } else {
                qsizetype width =
                    ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
                appendNonAscii(out, text.mid(i, width));
                i += width - 1;
            }
        }
    }

private:
    void appendNonAscii(QByteArray &out, const QString &character)
    {
        auto cached = m_cache.constFind(character);
        if (cached == m_cache.cend())
            cached = m_cache.insert(character, encode(character));
        out.append(*cached);
    }

    static QByteArray encode(const QString &character)
    {
        std::optional<Cp932Codec::Unencodable> failure;
        const QByteArray bytes = Cp932Codec::encode(character, {}, &failure);
        QByteArray out;
        // A byte no table decoded when the text was read would join the byte after it into another
        // character when read back, so it goes as \uN like a character CP932 lacks.
        if (!failure && !Cp932Codec::hasUndecodableBytes(character)) {
            for (char b : bytes)
                out.append("\\'").append(QByteArray::number(static_cast<unsigned char>(b), 16).rightJustified(2, '0'));
            return out;
        }
        // \uN takes a signed 16-bit number; characters beyond the first plane go as two halves.
        for (QChar unit : character)
            out.append("\\u").append(QByteArray::number(qint16(unit.unicode()))).append('?');
        return out;
    }

    QHash<QString, QByteArray> m_cache;
};

QFont effectiveFont(const QTextCharFormat &format, const QTextDocument &document)
{
    return format.font().resolve(document.defaultFont());
}

int halfPointsOf(const QFont &font)
{
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * kPointsPerPixel;
    return qMax(1, int(std::lround(points * 2)));
}

QByteArray twips(double pixels)
{
    return QByteArray::number(std::lround(pixels * kTwipsPerPixel));
}

QByteArray paragraphProperties(const QTextBlockFormat &format)
{
    QByteArray out = "\\pard";
    if (format.alignment() & Qt::AlignHCenter)
        out += "\\qc";
    else if (format.alignment() & Qt::AlignRight)
        out += "\\qr";
    else if (format.alignment() & Qt::AlignJustify)
        out += "\\qj";
    if (format.textIndent() != 0)
        out += "\\fi" + twips(format.textIndent());
    if (format.leftMargin() != 0)
        out += "\\li" + twips(format.leftMargin());
    if (format.rightMargin() != 0)
        out += "\\ri" + twips(format.rightMargin());
    return out;
}

QByteArray runProperties(const QTextCharFormat &format, const QTextDocument &document, RtfTables &tables)
{
    const QFont font = effectiveFont(format, document);
    QByteArray out =
        "\\f" + QByteArray::number(tables.fontIndex(font.family())) + "\\fs" + QByteArray::number(halfPointsOf(font));
    if (font.bold())
        out += "\\b";
    if (font.italic())
        out += "\\i";
    if (font.underline())
        out += "\\ul";
    if (font.strikeOut())
        out += "\\strike";
    if (format.foreground().style() != Qt::NoBrush)
        out += "\\cf" + QByteArray::number(tables.colorIndex(format.foreground().color()));
    if (format.background().style() != Qt::NoBrush)
        out += "\\highlight" + QByteArray::number(tables.colorIndex(format.background().color()));
    return out;
}

QByteArray header(const RtfTables &tables, RtfText &text)
{
    QByteArray out = "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1041{\\fonttbl";
    const QStringList fonts = tables.fonts().isEmpty() ? QStringList{QString()} : tables.fonts();
    for (qsizetype i = 0; i < fonts.size(); ++i) {
        out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset128 ";
        text.append(out, fonts.at(i));
        out += ";}";
    }
    out += "}\r\n{\\colortbl ;";
    for (QRgb rgb : tables.colors())
        out += "\\red" + QByteArray::number(qRed(rgb)) + "\\green" + QByteArray::number(qGreen(rgb)) + "\\blue"
            + QByteArray::number(qBlue(rgb)) + ";";
    out += "}\r\n{\\*\\generator QZWeb;}\\uc1\r\n";
    return out;
}

} // namespace

QByteArray RtfWriter::write(const QTextDocument &document)
{
    RtfTables tables;
    RtfText text;
    QByteArray body;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            body += "\\par\r\n";
        body += paragraphProperties(block.blockFormat());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            body += "{" + runProperties(fragment.charFormat(), document, tables) + " ";
            text.append(body, fragment.text());
            body += "}";
        }
    }
    return header(tables, text) + body + "}\r\n";
}
