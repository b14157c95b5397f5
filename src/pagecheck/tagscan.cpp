#include "pagecheck/tagscan.h"

#include <QRegularExpression>

#include <algorithm>
#include <iterator>

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

// name is lower, ASCII letter case aside (lower: a lower-case ASCII name). Asked of every tag and
// attribute of a page, so it stays this small.
bool isName(QStringView name, QLatin1StringView lower)
{
    if (name.size() != lower.size())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if ((c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c) != char16_t(uchar(lower.at(i).toLatin1())))
            return false;
    }
    return true;
}

// The attributes our checks read.
bool isRead(QStringView name)
{
    static constexpr QLatin1StringView kRead[] = {QLatin1StringView("href"),
                                                  QLatin1StringView("src"),
                                                  QLatin1StringView("style"),
                                                  QLatin1StringView("charset"),
                                                  QLatin1StringView("content"),
                                                  QLatin1StringView("rel"),
                                                  QLatin1StringView("property"),
                                                  QLatin1StringView("srcset"),
                                                  QLatin1StringView("poster"),
                                                  QLatin1StringView("action"),
                                                  QLatin1StringView("id"),
                                                  QLatin1StringView("name")};
    return std::any_of(std::begin(kRead), std::end(kRead), [&](QLatin1StringView read) { return isName(name, read); });
}

// The elements our checks look for by name whatever their attributes.
bool isLookedFor(QStringView name)
{
    static constexpr QLatin1StringView kLookedFor[] = {QLatin1StringView("head"),
                                                       QLatin1StringView("html"),
                                                       QLatin1StringView("meta"),
                                                       QLatin1StringView("link"),
                                                       QLatin1StringView("base"),
                                                       QLatin1StringView("title")};
    return std::any_of(
        std::begin(kLookedFor), std::end(kLookedFor), [&](QLatin1StringView looked) { return isName(name, looked); });
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
        const bool read = isRead(QStringView(text).mid(nameStart, i - nameStart));
        TagScan::Attribute attribute{read ? text.mid(nameStart, i - nameStart).toLower() : QString(), {}, i};
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
                if (read)
                    attribute.value = text.mid(j + 1, stop - j - 1);
                attribute.valueOffset = j + 1;
                i = end < 0 ? size : end + 1;
            } else {
                qsizetype end = j;
                while (end < size && !isSpace(text.at(end)) && text.at(end) != QLatin1Char('>'))
                    ++end;
                if (read)
                    attribute.value = text.mid(j, end - j);
                attribute.valueOffset = j;
                i = end;
            }
        }
        if (read)
            tag.attributes.append(std::move(attribute));
    }
    return size;
}

} // namespace

namespace TagScan {

QList<Url> urls(const CssText &css)
{
    static const QRegularExpression url(QStringLiteral("url\\(\\s*(['\"]?)([^'\"\\)]*)\\1\\s*\\)"),
                                        QRegularExpression::CaseInsensitiveOption);
    QList<Url> found;
    for (auto it = url.globalMatch(css.text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        found.append({match.captured(2), css.offset + match.capturedStart(2)});
    }
    return found;
}

QString titleOf(const QString &text, const Tag &title)
{
    const qsizetype end = text.indexOf(QLatin1String("</title"), title.end, Qt::CaseInsensitive);
    return text.mid(title.end, (end < 0 ? text.size() : end) - title.end);
}

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
        if (QStringView(text).mid(i, 4) == u"<!--") {
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
        const QStringView name = QStringView(text).mid(i + 1, j - i - 1);
        Tag tag{{}, i, {}};
        i = readAttributes(text, j, tag);
        tag.end = i;
        if (const Attribute *style = tag.attribute(QStringLiteral("style")))
            result.css.append({style->value, style->valueOffset});
        const bool isScript = isName(name, QLatin1StringView("script"));
        const bool isStyle = isName(name, QLatin1StringView("style"));
        if (!tag.attributes.isEmpty() || isLookedFor(name)) {
            tag.name = name.toString().toLower();
            result.tags.append(std::move(tag));
        }
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
