#include "pagecheck/tagscan.h"

namespace {

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')
        || c == QLatin1Char('\f');
}

bool isNameChar(QChar c)
{
    return !isSpace(c) && c != QLatin1Char('>') && c != QLatin1Char('/') && c != QLatin1Char('=')
        && c != QLatin1Char('<');
}

// Reads one tag's attributes from just after its name; returns the position after its ">".
qsizetype readAttributes(const QString &text, qsizetype i, TagScan::Tag &tag)
{
    const qsizetype size = text.size();
    while (i < size) {
        while (i < size && (isSpace(text.at(i)) || text.at(i) == QLatin1Char('/')))
            ++i;
        if (i >= size)
            return size;
        if (text.at(i) == QLatin1Char('>'))
            return i + 1;
        const qsizetype nameStart = i;
        while (i < size && isNameChar(text.at(i)))
            ++i;
        if (i == nameStart) { // a stray "<" or "="
            ++i;
            continue;
        }
        TagScan::Attribute attribute{text.mid(nameStart, i - nameStart).toLower(), {}, i};
        qsizetype j = i;
        while (j < size && isSpace(text.at(j)))
            ++j;
        if (j < size && text.at(j) == QLatin1Char('=')) {
            ++j;
            while (j < size && isSpace(text.at(j)))
                ++j;
            if (j < size && (text.at(j) == QLatin1Char('"') || text.at(j) == QLatin1Char('\''))) {
                const QChar quote = text.at(j);
                const qsizetype end = text.indexOf(quote, j + 1);
                const qsizetype stop = end < 0 ? size : end;
                attribute.value = text.mid(j + 1, stop - j - 1);
                attribute.valueOffset = j + 1;
                i = end < 0 ? size : end + 1;
            } else {
                qsizetype end = j;
                while (end < size && !isSpace(text.at(end)) && text.at(end) != QLatin1Char('>'))
                    ++end;
                attribute.value = text.mid(j, end - j);
                attribute.valueOffset = j;
                i = end;
            }
        }
        tag.attributes.append(std::move(attribute));
    }
    return size;
}

} // namespace

namespace TagScan {

const Attribute *Tag::attribute(const QString &attributeName) const
{
    for (const Attribute &a : attributes) {
        if (a.name == attributeName)
            return &a;
    }
    return nullptr;
}

Result scan(const QString &text)
{
    Result result;
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (true) {
        i = text.indexOf(QLatin1Char('<'), i);
        if (i < 0 || i + 1 >= size)
            break;
        if (text.mid(i, 4) == QLatin1String("<!--")) {
            const qsizetype end = text.indexOf(QLatin1String("-->"), i + 4);
            if (end < 0)
                break;
            i = end + 3;
            continue;
        }
        if (!text.at(i + 1).isLetter()) {
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        while (j < size && isNameChar(text.at(j)))
            ++j;
        Tag tag{text.mid(i + 1, j - i - 1).toLower(), i, {}};
        i = readAttributes(text, j, tag);
        tag.end = i;
        if (const Attribute *style = tag.attribute(QStringLiteral("style")))
            result.css.append({style->value, style->valueOffset});
        const bool isScript = tag.name == QLatin1String("script");
        const bool isStyle = tag.name == QLatin1String("style");
        result.tags.append(std::move(tag));
        if (isScript || isStyle) {
            // Raw text up to its own end tag: never markup, and only a style sheet holds url(…).
            const QString endTag = isScript ? QStringLiteral("</script") : QStringLiteral("</style");
            qsizetype end = text.indexOf(endTag, i, Qt::CaseInsensitive);
            if (end < 0)
                end = size;
            if (isStyle)
                result.css.append({text.mid(i, end - i), i});
            i = end;
        }
    }
    return result;
}

} // namespace TagScan
