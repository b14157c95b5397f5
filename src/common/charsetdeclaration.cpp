#include "common/charsetdeclaration.h"

namespace CharsetDeclaration {

namespace {

constexpr qsizetype kSearchedBytes = 1024;

bool isNameByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// The value after "key" (blanks, "=", blanks, an optional quote) inside [from, to); empty when
// the key is not followed by "=".
QByteArray valueAfter(const QByteArray &text, qsizetype keyEnd, qsizetype to)
{
    qsizetype i = keyEnd;
    while (i < to && isBlank(text.at(i)))
        ++i;
    if (i >= to || text.at(i) != '=')
        return {};
    ++i;
    while (i < to && (isBlank(text.at(i)) || text.at(i) == '"' || text.at(i) == '\''))
        ++i;
    const qsizetype start = i;
    while (i < to && isNameByte(text.at(i)))
        ++i;
    return text.mid(start, i - start);
}

// The first "key=value" inside the tag that starts at tagStart.
QByteArray attributeIn(const QByteArray &text, qsizetype tagStart, const QByteArray &key)
{
    qsizetype tagEnd = text.indexOf('>', tagStart);
    if (tagEnd < 0)
        tagEnd = text.size();
    for (qsizetype at = text.indexOf(key, tagStart); at >= 0 && at < tagEnd; at = text.indexOf(key, at + 1)) {
        const QByteArray value = valueAfter(text, at + key.size(), tagEnd);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

} // namespace

Declared classify(const QByteArray &name)
{
    const QByteArray n = name.toLower();
    static const QByteArray shiftJis[] = {"shift_jis",
                                          "shift-jis",
                                          "sjis",
                                          "x-sjis",
                                          "windows-31j",
                                          "cp932",
                                          "ms932",
                                          "ms_kanji",
                                          "csshiftjis",
                                          "csWindows31J"};
    for (const QByteArray &s : shiftJis) {
        if (n == s.toLower())
            return Declared::ShiftJis;
    }
    if (n == "utf-8" || n == "utf8")
        return Declared::Utf8;
    return Declared::Other;
}

std::optional<Declared> find(const QByteArray &bytes)
{
    // Markup is ASCII whatever the page's encoding, so a byte-wise lower-case copy is enough.
    const QByteArray head = bytes.left(kSearchedBytes).toLower();
    for (qsizetype tag = head.indexOf('<'); tag >= 0; tag = head.indexOf('<', tag + 1)) {
        QByteArray value;
        if (head.mid(tag, 5) == "<meta")
            value = attributeIn(head, tag, "charset");
        else if (head.mid(tag, 5) == "<?xml")
            value = attributeIn(head, tag, "encoding");
        if (!value.isEmpty())
            return classify(value);
    }
    return std::nullopt;
}

} // namespace CharsetDeclaration
